#pragma once
// Test pictures built in the tests themselves: BMP files written byte by byte and JPEGs
// encoded with libjpeg.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace picture_test {

using Bytes = std::vector<std::uint8_t>;

// Little-endian byte writer.
class ByteWriter {
  public:
    ByteWriter& U8(unsigned v);
    ByteWriter& U16(unsigned v);
    ByteWriter& U32(std::uint32_t v);
    ByteWriter& Raw(const Bytes& b);
    ByteWriter& Text(const char* s);
    Bytes bytes;
};

struct BmpLayout {
    int width = 1;
    int height = 1;
    int bpp = 8;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::vector<std::array<std::uint8_t, 3>> palette;  // blue, green, red
    Bytes afterHeader;  // e.g. colour masks, between the header and the palette
    Bytes pixels;       // exactly as stored in the file
    bool os2 = false;   // 12-byte header, 3-byte palette entries
    std::optional<std::uint32_t> pixelOffset;  // default: right after the palette
};

Bytes MakeBmp(const BmpLayout& layout);

struct JpegLayout {
    int width = 8;
    int height = 8;
    bool grey = false;
    int quality = 100;
    int densityUnit = 0;  // 0 none, 1 per inch, 2 per centimetre
    int xDensity = 1;
    int yDensity = 1;
    std::optional<Bytes> app1;
};

// rgb(x, y) gives the colour (red, green, blue); for grey pictures only red is used.
using RgbFunction = std::function<std::array<std::uint8_t, 3>(int x, int y)>;
Bytes EncodeJpeg(const JpegLayout& layout, const RgbFunction& rgb);

// An APP1 body: "Exif\0\0", a big-endian TIFF header and an empty first directory.
Bytes EmptyBigEndianExif();

}  // namespace picture_test
