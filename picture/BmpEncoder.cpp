#include "picture/BmpEncoder.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace picture {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPaletteSize = 256 * 4;
constexpr std::uint32_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize + kPaletteSize;
// 2835 pixels per metre is 72 dots per inch.
constexpr std::uint32_t kPixelsPerMetre = 2835;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeGreyBmp(int width, int height, std::span<const std::uint8_t> pixels,
                                        std::size_t stride) {
    if (width <= 0 || height <= 0)
        throw std::invalid_argument("EncodeGreyBmp: empty picture");
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    if (stride < w)
        throw std::invalid_argument("EncodeGreyBmp: stride shorter than a line");
    if (pixels.size() < stride * (h - 1) + w) {
        throw std::invalid_argument("EncodeGreyBmp: too few pixels");
    }
    const std::size_t fileStride = (w + 3) / 4 * 4;
    const std::size_t imageSize = fileStride * h;
    if (imageSize > std::numeric_limits<std::uint32_t>::max() - kPixelOffset) {
        throw std::invalid_argument("EncodeGreyBmp: picture too large");
    }
    const auto fileSize = static_cast<std::uint32_t>(kPixelOffset + imageSize);

    std::vector<std::uint8_t> out;
    out.reserve(fileSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, fileSize);
    Put32(out, 0);  // reserved
    Put32(out, kPixelOffset);

    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));  // positive: bottom line first
    Put16(out, 1);                                   // planes
    Put16(out, 8);                                   // bits per pixel
    Put32(out, 0);                                   // no compression
    Put32(out, static_cast<std::uint32_t>(imageSize));
    Put32(out, kPixelsPerMetre);
    Put32(out, kPixelsPerMetre);
    Put32(out, 256);  // colours used
    Put32(out, 0);    // colours important: all

    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        out.insert(out.end(), {v, v, v, 0});
    }

    for (std::size_t line = h; line-- > 0;) {
        const std::uint8_t* src = pixels.data() + line * stride;
        out.insert(out.end(), src, src + w);
        out.insert(out.end(), fileStride - w, 0);
    }
    return out;
}

std::vector<std::uint8_t> EncodeGreyBmp(int width, int height,
                                        std::span<const std::uint8_t> pixels) {
    return EncodeGreyBmp(width, height, pixels, width > 0 ? static_cast<std::size_t>(width) : 0);
}

}  // namespace picture
