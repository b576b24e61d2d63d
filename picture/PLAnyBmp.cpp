#include "picture/PLAnyBmp.h"

namespace picture {

void PLAnyBmp::internalCreate(int width, int height, int bitsPerPixel) {
    const std::size_t stride = bytesPerLine(width, bitsPerPixel);
    // Held as 32-bit words so that every line is 4-byte aligned.
    m_Pixels.reset(new std::uint32_t[stride / 4 * static_cast<std::size_t>(height)]());
    m_pClrTab = bitsPerPixel == 8 ? m_Palette.data() : nullptr;
    initLineArray(reinterpret_cast<std::uint8_t*>(m_Pixels.get()),
                  static_cast<std::ptrdiff_t>(stride));
}

void PLAnyBmp::freeMembers() {
    m_Pixels.reset();
}

}  // namespace picture
