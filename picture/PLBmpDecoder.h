#pragma once
// Decoder for Windows and OS/2 bitmap files: 1, 4, 8, 16, 24 and 32 bits per pixel,
// uncompressed or RLE4/RLE8. Depths up to 8 decode to 8-bit pictures, the others to 32 bits.

#include <array>
#include <cstdint>

#include "picture/PLPicDecoder.h"
#include "picture/PLPixel32.h"

namespace picture {

class PLBmpDecoder : public PLPicDecoder {
  public:
    PLBmpDecoder() = default;
    ~PLBmpDecoder() override = default;

    void Open(PLDataSource* source) override;
    void GetImage(PLBmp& bmp) override;

    // The header as read from the file (OS/2 headers are widened to this form).
    struct Header {
        std::uint32_t size = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;  // negative: top line first
        std::uint16_t planes = 0;
        std::uint16_t bitCount = 0;
        std::uint32_t compression = 0;
        std::uint32_t sizeImage = 0;
        std::int32_t xPelsPerMeter = 0;
        std::int32_t yPelsPerMeter = 0;
        std::uint32_t clrUsed = 0;
        std::uint32_t clrImportant = 0;
    };
    const Header& GetHeader() const { return m_Header; }
    // Palette entries as blue, green, red, 255; entries the file does not supply are black.
    const std::array<PLPixel32, 256>& GetFilePalette() const { return m_Palette; }

  private:
    void readFileHeader();
    void readInfoHeader();
    void readOs2Header();
    void readWindowsHeader();
    void readPalette(int entries, int bytesPerEntry);
    void readColourMasks();
    int paletteEntries() const;
    void setFacts();

    // One file line (bottom line first unless the height is negative) at a time.
    std::uint8_t* outputLine(PLBmp& bmp, int fileLine) const;
    void decodeUncompressed(PLBmp& bmp);
    void decodeLine(const std::uint8_t* src, std::uint8_t* dst) const;
    // RLE8, or with `nibbles` RLE4.
    void decodeRle(PLBmp& bmp, bool nibbles);

    Header m_Header;
    std::array<PLPixel32, 256> m_Palette{};
    std::size_t m_ArrayBytesSkipped = 0;
    std::uint32_t m_PixelOffset = 0;
    bool m_Is555 = true;  // 16-bit colour layout: 5-5-5, else 5-6-5
};

}  // namespace picture
