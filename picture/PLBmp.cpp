#include "picture/PLBmp.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "picture/PLAnyBmp.h"
#include "picture/PLTextException.h"

namespace picture {

namespace {

const char kNoMemory[] = "Out of memory creating bitmap.";
const char kDepthMismatch[] = "Image bit depth doesn't match request.";

bool IsAllowedSize(int width, int height) {
    return width > 0 && height > 0 && width <= PLBmp::kMaxSide && height <= PLBmp::kMaxSide &&
           std::int64_t{width} * height <= PLBmp::kMaxPixels;
}

}  // namespace

std::size_t PLBmp::bytesPerLine(int width, int bitsPerPixel) {
    const auto bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel);
    return (bits + 31) / 32 * 4;
}

int PLBmp::GetBytesPerLine() const {
    return static_cast<int>(bytesPerLine(m_Size.x, m_bpp));
}

void PLBmp::Create(int width, int height, int bitsPerPixel, bool alpha, bool greyscale,
                   const PLPoint& resolution) {
    if (bitsPerPixel != 8 && bitsPerPixel != 32) {
        throw PLTextException(PLErr::kBadBitDepth, "Decoding bmp: Illegal bpp value.");
    }
    if (!IsAllowedSize(width, height))
        throw PLTextException(PLErr::kNoMemory, kNoMemory);
    freeMembers();
    m_LineArray.clear();
    m_pClrTab = nullptr;
    SetBmpInfo(PLPoint{width, height}, bitsPerPixel, resolution, alpha, greyscale);
    try {
        internalCreate(width, height, bitsPerPixel);
    } catch (const std::bad_alloc&) {
        freeMembers();
        m_LineArray.clear();
        m_pClrTab = nullptr;
        SetBmpInfo(PLPoint{}, 0, PLPoint{}, false, false);
        throw PLTextException(PLErr::kNoMemory, kNoMemory);
    }
    if (bitsPerPixel == 8)
        SetGreyPalette();
}

void PLBmp::Create(const PLBmpInfo& info) {
    Create(info.GetWidth(), info.GetHeight(), info.GetBitsPerPixel(), info.HasAlpha(),
           info.IsGreyscale(), info.GetResolution());
}

void PLBmp::initLineArray(std::uint8_t* first, std::ptrdiff_t step) {
    m_LineArray.resize(static_cast<std::size_t>(m_Size.y > 0 ? m_Size.y : 0));
    for (std::size_t i = 0; i < m_LineArray.size(); ++i) {
        m_LineArray[i] = first + static_cast<std::ptrdiff_t>(i) * step;
    }
}

void PLBmp::SetPalette(const PLPixel32* palette) {
    if (m_pClrTab && palette)
        std::memcpy(m_pClrTab, palette, 256 * sizeof(PLPixel32));
}

void PLBmp::SetGreyPalette() {
    if (!m_pClrTab)
        return;
    constexpr int kEntries = 256;
    for (int i = 0; i < kEntries; ++i) {
        const auto v = static_cast<std::uint8_t>(i * (255 / (kEntries - 1)));
        m_pClrTab[i] = PLPixel32{v, v, v, 255};
    }
}

void PLBmp::Lock(bool /*read*/, bool /*write*/) {
    ++m_LockCount;
}

void PLBmp::Unlock() {
    if (m_LockCount > 0)
        --m_LockCount;
}

void PLBmp::CopyFrom(const PLBmp& source, int bitsPerPixel) {
    if (bitsPerPixel == 0)
        bitsPerPixel = source.GetBitsPerPixel();
    if (&source == this) {
        if (bitsPerPixel == m_bpp)
            return;
        PLAnyBmp copy;
        copy.CopyFrom(source);
        CopyFrom(copy, bitsPerPixel);
        return;
    }
    if (bitsPerPixel == source.GetBitsPerPixel()) {
        copySameDepth(source);
    } else if (source.GetBitsPerPixel() == 8 && bitsPerPixel == 32) {
        copy8To32(source);
    } else {
        throw PLTextException(PLErr::kDecoding, kDepthMismatch);
    }
}

void PLBmp::copySameDepth(const PLBmp& source) {
    Create(source);
    const auto lineBytes = static_cast<std::size_t>(GetBytesPerLine());
    for (int y = 0; y < m_Size.y; ++y) std::memcpy(GetLine(y), source.GetLine(y), lineBytes);
    if (m_pClrTab && source.GetPalette())
        SetPalette(source.GetPalette());
}

void PLBmp::copy8To32(const PLBmp& source) {
    Create(source.GetWidth(), source.GetHeight(), 32, false, source.IsGreyscale(),
           source.GetResolution());
    const PLPixel32* palette = source.GetPalette();
    for (int y = 0; y < m_Size.y; ++y) {
        const std::uint8_t* src = source.GetLine(y);
        std::uint8_t* dst = GetLine(y);
        for (int x = 0; x < m_Size.x; ++x) std::memcpy(dst + 4 * x, &palette[src[x]], 4);
    }
}

util::Status PLBmp::SetAlphaFromMask(const PLBmp& mask) {
    if (m_bpp != 32 || mask.GetBitsPerPixel() != 8)
        return util::Error{kDepthMismatch, PLErr::kDecoding};
    const int width = std::min(m_Size.x, mask.GetWidth());
    const int height = std::min(m_Size.y, mask.GetHeight());
    // Whole words, so that the loop is vectorized: the flap does this for every pixel at
    // every step. Lines are 4-byte aligned; the alpha byte is the word's high byte.
    static_assert(std::endian::native == std::endian::little);
    for (int y = 0; y < height; ++y) {
        auto* dst = reinterpret_cast<std::uint32_t*>(GetLine(y));
        const std::uint8_t* src = mask.GetLine(y);
        for (int x = 0; x < width; ++x)
            dst[x] = (dst[x] & 0x00FFFFFFu) | (std::uint32_t(src[x]) << 24);
    }
    m_bAlphaChannel = true;
    return {};
}

}  // namespace picture
