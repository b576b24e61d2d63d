#pragma once
// A picture held as a device-independent bitmap: an information block (a 40-byte header
// followed, for 8 bits per pixel, by the 256-entry palette) and a pixel block. The pixel
// block is stored top line first (the header's height is negative, as for top-down DIBs),
// so that a QImage can wrap it without copying.

#include <cstdint>
#include <memory>
#include <vector>

#include "picture/PLBmp.h"

namespace picture {

class PLWinBmp : public PLBmp {
  public:
    static constexpr std::size_t kInfoHeaderSize = 40;

    PLWinBmp() = default;
    ~PLWinBmp() override = default;

    // The information block: header, then the palette for 8-bit pictures.
    const std::vector<std::uint8_t>& GetBMI() const { return m_Info; }
    const std::uint8_t* GetBits() const {
        return reinterpret_cast<const std::uint8_t*>(m_Bits.get());
    }
    std::uint8_t* GetBits() { return reinterpret_cast<std::uint8_t*>(m_Bits.get()); }
    std::size_t GetBitsSize() const;

    // The picture as a complete BMP file in memory (bottom-up, as BMP files usually are),
    // for the clipboard or for saving.
    std::vector<std::uint8_t> CopyToMemory() const;

  protected:
    void internalCreate(int width, int height, int bitsPerPixel) override;
    void freeMembers() override;

  private:
    void writeInfoHeader(int width, int height, int bitsPerPixel, std::size_t imageSize);

    std::vector<std::uint8_t> m_Info;
    std::unique_ptr<std::uint32_t[]> m_Bits;
};

}  // namespace picture
