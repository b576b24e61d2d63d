#pragma once
// A 32-bit pixel or palette entry as it lies in memory: blue, green, red, alpha. The same
// byte order as a QImage of Format_ARGB32 on a little-endian machine.

#include <bit>
#include <cstdint>

namespace picture {

static_assert(std::endian::native == std::endian::little,
              "32-bit pixels are laid out for little-endian machines");

struct PLPixel32 {
    std::uint8_t b = 0;
    std::uint8_t g = 0;
    std::uint8_t r = 0;
    std::uint8_t a = 0;

    friend bool operator==(const PLPixel32&, const PLPixel32&) = default;
};
static_assert(sizeof(PLPixel32) == 4);

struct PLPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const PLPoint&, const PLPoint&) = default;
};

}  // namespace picture
