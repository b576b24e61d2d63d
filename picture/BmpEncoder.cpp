#include "picture/BmpEncoder.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "picture/PLBmp.h"

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

void PutHeaders(std::vector<std::uint8_t>& out, int width, int height, int bitsPerPixel,
                std::uint32_t imageSize) {
    const std::uint32_t paletteSize = bitsPerPixel == 8 ? kPaletteSize : 0;
    const std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteSize;
    out.push_back('B');
    out.push_back('M');
    Put32(out, pixelOffset + imageSize);
    Put32(out, 0);  // reserved
    Put32(out, pixelOffset);

    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));  // positive: bottom line first
    Put16(out, 1);                                   // planes
    Put16(out, static_cast<std::uint16_t>(bitsPerPixel));
    Put32(out, 0);  // no compression
    Put32(out, imageSize);
    Put32(out, kPixelsPerMetre);
    Put32(out, kPixelsPerMetre);
    Put32(out, bitsPerPixel == 8 ? 256 : 0);  // colours used
    Put32(out, 0);                            // colours important: all
}

std::uint32_t CheckedImageSize(std::size_t fileStride, std::size_t height) {
    const std::size_t imageSize = fileStride * height;
    if (imageSize > std::numeric_limits<std::uint32_t>::max() - kPixelOffset) {
        throw std::invalid_argument("BMP encoder: picture too large");
    }
    return static_cast<std::uint32_t>(imageSize);
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
    const std::uint32_t imageSize = CheckedImageSize(fileStride, h);

    std::vector<std::uint8_t> out;
    out.reserve(kPixelOffset + imageSize);
    PutHeaders(out, width, height, 8, imageSize);

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

std::vector<std::uint8_t> EncodeBmp(const PLBmp& bmp) {
    const int bpp = bmp.GetBitsPerPixel();
    if ((bpp != 8 && bpp != 32) || bmp.GetWidth() <= 0 || bmp.GetHeight() <= 0) {
        throw std::invalid_argument("EncodeBmp: no 8- or 32-bit picture");
    }
    const auto lineBytes = static_cast<std::size_t>(bmp.GetBytesPerLine());
    const std::uint32_t imageSize =
        CheckedImageSize(lineBytes, static_cast<std::size_t>(bmp.GetHeight()));

    std::vector<std::uint8_t> out;
    out.reserve(kPixelOffset + imageSize);
    PutHeaders(out, bmp.GetWidth(), bmp.GetHeight(), bpp, imageSize);
    if (bpp == 8) {
        const PLPixel32* palette = bmp.GetPalette();
        for (int i = 0; i < 256; ++i)
            out.insert(out.end(), {palette[i].b, palette[i].g, palette[i].r, 0});
    }
    for (int y = bmp.GetHeight(); y-- > 0;) {
        const std::uint8_t* line = bmp.GetLine(y);
        out.insert(out.end(), line, line + lineBytes);
    }
    return out;
}

}  // namespace picture
