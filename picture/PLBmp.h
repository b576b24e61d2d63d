#pragma once
// A picture with pixels: 8 bits per pixel (palette indices, with a 256-entry palette) or
// 32 bits per pixel (blue, green, red, alpha). Line 0 is the top line; how the lines lie in
// memory is the subclass's business and hidden behind the line table.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture/PLBmpInfo.h"
#include "picture/PLPixel32.h"
#include "util/Result.h"

namespace picture {

class PLBmp : public PLBmpInfo {
  public:
    // Pictures larger than this are refused with "Out of memory creating bitmap.": the radio's
    // largest picture is 606 × 520, and a hostile header must not make us allocate gigabytes.
    static constexpr int kMaxSide = 32767;
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;

    PLBmp(const PLBmp&) = delete;
    PLBmp& operator=(const PLBmp&) = delete;
    ~PLBmp() override = default;

    // Discards the old picture and makes a new one with every pixel byte 0; depth 8 gets
    // the grey ramp palette. Only depths 8 and 32 can be made.
    void Create(int width, int height, int bitsPerPixel, bool alpha, bool greyscale,
                const PLPoint& resolution = {});
    void Create(const PLBmpInfo& info);

    // Makes this picture a copy of `source` at `bitsPerPixel` (0: the source's depth).
    // Same depth copies bytes, palette and resolution; 8 -> 32 goes through the palette.
    // 32 -> 8 would need colour quantization, which nothing here needs: it raises code 6.
    void CopyFrom(const PLBmp& source, int bitsPerPixel = 0);

    // Byte 3 (alpha) of every 32-bit pixel becomes the 8-bit mask's raw value at the same
    // place; colours stay untouched. A mask of another size only covers the overlap. Other
    // depths fail with code 6 and change nothing.
    util::Status SetAlphaFromMask(const PLBmp& mask);

    std::uint8_t** GetLineArray() { return m_LineArray.data(); }
    const std::uint8_t* const* GetLineArray() const { return m_LineArray.data(); }
    std::uint8_t* GetLine(int y) { return m_LineArray[static_cast<std::size_t>(y)]; }
    const std::uint8_t* GetLine(int y) const { return m_LineArray[static_cast<std::size_t>(y)]; }
    int GetBytesPerLine() const;
    int GetBytesPerPixel() const { return m_bpp / 8; }

    // 256 entries for 8-bit pictures, nullptr for 32-bit ones.
    PLPixel32* GetPalette() { return m_pClrTab; }
    const PLPixel32* GetPalette() const { return m_pClrTab; }
    int GetNumColors() const { return m_pClrTab ? 256 : 0; }
    void SetPalette(const PLPixel32* palette);  // 256 entries
    void SetGreyPalette();

    void SetHasAlpha(bool alpha) { m_bAlphaChannel = alpha; }
    void SetResolution(const PLPoint& resolution) { m_Resolution = resolution; }

    // Kept for callers that bracket pixel access; only a counter.
    void Lock(bool read, bool write);
    void Unlock();
    int GetLockCount() const { return m_LockCount; }

  protected:
    PLBmp() = default;

    // Allocates zeroed pixel memory (and a palette for 8 bits) for the given facts and calls
    // initLineArray. May throw std::bad_alloc.
    virtual void internalCreate(int width, int height, int bitsPerPixel) = 0;
    virtual void freeMembers() = 0;

    // Fills the line table: line i starts at first + i * step (step < 0 for bottom-up memory).
    void initLineArray(std::uint8_t* first, std::ptrdiff_t step);
    static std::size_t bytesPerLine(int width, int bitsPerPixel);

    PLPixel32* m_pClrTab = nullptr;

  private:
    void copySameDepth(const PLBmp& source);
    void copy8To32(const PLBmp& source);

    std::vector<std::uint8_t*> m_LineArray;
    int m_LockCount = 0;
};

}  // namespace picture
