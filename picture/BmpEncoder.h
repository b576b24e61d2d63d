#pragma once
// Writes 8-bit grey Windows bitmap files: the form every mask picture takes (40-byte
// information header, 256 palette entries with entry i = (i, i, i), uncompressed, bottom-up).
// The pixel value is the opacity, 0 transparent and 255 opaque.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace picture {

class PLBmp;

// Encodes a width × height grey picture given top line first, `stride` bytes from one line
// to the next (stride >= width). Throws std::invalid_argument for a non-positive size, a
// short stride, too few pixels or a file that would not fit in 32-bit sizes.
std::vector<std::uint8_t> EncodeGreyBmp(int width, int height, std::span<const std::uint8_t> pixels,
                                        std::size_t stride);

// The same for tightly packed lines (stride = width).
std::vector<std::uint8_t> EncodeGreyBmp(int width, int height,
                                        std::span<const std::uint8_t> pixels);

// Encodes an 8-bit (with its palette) or 32-bit (blue, green, red, fourth byte) picture as
// an uncompressed BMP file with a 40-byte header.
std::vector<std::uint8_t> EncodeBmp(const PLBmp& bmp);

}  // namespace picture
