#include "picture/PLWinBmp.h"

#include "picture/BmpEncoder.h"

namespace picture {

namespace {

void Put(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::size_t PLWinBmp::GetBitsSize() const {
    return bytesPerLine(m_Size.x, m_bpp) * static_cast<std::size_t>(m_Size.y);
}

void PLWinBmp::internalCreate(int width, int height, int bitsPerPixel) {
    const std::size_t stride = bytesPerLine(width, bitsPerPixel);
    const std::size_t imageSize = stride * static_cast<std::size_t>(height);
    m_Info.assign(kInfoHeaderSize + (bitsPerPixel <= 8 ? 256 * sizeof(PLPixel32) : 0), 0);
    writeInfoHeader(width, height, bitsPerPixel, imageSize);
    m_Bits.reset(new std::uint32_t[imageSize / 4]());
    m_pClrTab =
        bitsPerPixel <= 8 ? reinterpret_cast<PLPixel32*>(m_Info.data() + kInfoHeaderSize) : nullptr;
    initLineArray(GetBits(), static_cast<std::ptrdiff_t>(stride));
}

void PLWinBmp::writeInfoHeader(int width, int height, int bitsPerPixel, std::size_t imageSize) {
    std::uint8_t* h = m_Info.data();
    Put(h, kInfoHeaderSize, 4);
    Put(h + 4, static_cast<std::uint32_t>(width), 4);
    Put(h + 8, static_cast<std::uint32_t>(-height), 4);  // negative: top line first
    Put(h + 12, 1, 2);                                   // planes
    Put(h + 14, static_cast<std::uint32_t>(bitsPerPixel), 2);
    Put(h + 16, 0, 4);  // no compression
    Put(h + 20, static_cast<std::uint32_t>(imageSize), 4);
    Put(h + 32, bitsPerPixel <= 8 ? 256 : 0, 4);  // colours used
}

void PLWinBmp::freeMembers() {
    m_Bits.reset();
    m_Info.clear();
}

std::vector<std::uint8_t> PLWinBmp::CopyToMemory() const {
    return picture::EncodeBmp(*this);
}

}  // namespace picture
