// The bitmap decoder on BMP files written byte by byte.
#include <gtest/gtest.h>

#include "picture/PLAnyBmp.h"
#include "picture/PLAnyPicDecoder.h"
#include "picture/PLTextException.h"
#include "tests/picture/TestPictures.h"

using picture::PLAnyBmp;
using picture::PLAnyPicDecoder;
using picture::PLBmp;
using picture::PLPixel32;
using picture::PLPoint;
using picture::PLTextException;

using picture_test::BmpLayout;
using picture_test::Bytes;
using picture_test::MakeBmp;

namespace {

std::vector<std::array<std::uint8_t, 3>> GreyPalette(int entries) {
    std::vector<std::array<std::uint8_t, 3>> p;
    for (int i = 0; i < entries; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / (entries - 1));
        p.push_back({v, v, v});
    }
    return p;
}

void Decode(const Bytes& data, PLBmp& bmp, int wantedBpp = 0) {
    PLAnyPicDecoder decoder;
    decoder.DecodeMemory(data, bmp, wantedBpp);
}

// Decodes and returns the exception, failing the test when there is none.
PLTextException DecodeError(const Bytes& data) {
    PLAnyBmp bmp;
    try {
        Decode(data, bmp);
    } catch (const PLTextException& e) {
        return e;
    }
    ADD_FAILURE() << "no exception";
    return PLTextException(0, "");
}

PLPixel32 Pixel32(const PLBmp& bmp, int x, int y) {
    const std::uint8_t* p = bmp.GetLine(y) + 4 * x;
    return PLPixel32{p[0], p[1], p[2], p[3]};
}

}  // namespace

TEST(BmpDecoder, Grey8BitMaskDecodesBottomLineFirstWithItsPalette) {
    BmpLayout layout;
    layout.width = 3;
    layout.height = 2;
    layout.palette = GreyPalette(256);
    layout.pixels = {10, 20, 30, 0, /* top line: */ 40, 50, 60, 0};
    PLAnyBmp bmp;
    Decode(MakeBmp(layout), bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    ASSERT_EQ(bmp.GetWidth(), 3);
    ASSERT_EQ(bmp.GetHeight(), 2);
    EXPECT_EQ(bmp.GetLine(0)[0], 40);
    EXPECT_EQ(bmp.GetLine(0)[2], 60);
    EXPECT_EQ(bmp.GetLine(1)[1], 20);
    EXPECT_EQ(bmp.GetPalette()[128], (PLPixel32{128, 128, 128, 255}));
    EXPECT_FALSE(bmp.HasAlpha());
    EXPECT_FALSE(bmp.IsGreyscale());
}

TEST(BmpDecoder, ColoursUsedZeroReadsTwoToTheDepthEntries) {
    BmpLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.palette = GreyPalette(256);
    layout.palette[200] = {1, 2, 3};
    layout.pixels = {200, 255, 0, 0};
    PLAnyBmp bmp;
    Decode(MakeBmp(layout), bmp);
    EXPECT_EQ(bmp.GetPalette()[200], (PLPixel32{1, 2, 3, 255}));
    EXPECT_EQ(bmp.GetPalette()[255], (PLPixel32{255, 255, 255, 255}));

    // 4 bits: 16 entries, the last one used by pixel value 15.
    BmpLayout four;
    four.width = 3;
    four.height = 1;
    four.bpp = 4;
    four.palette = GreyPalette(16);
    four.palette[15] = {9, 8, 7};
    four.pixels = {0xF1, 0x20, 0, 0};
    Decode(MakeBmp(four), bmp);
    EXPECT_EQ(bmp.GetLine(0)[0], 15);
    EXPECT_EQ(bmp.GetLine(0)[1], 1);
    EXPECT_EQ(bmp.GetLine(0)[2], 2);
    EXPECT_EQ(bmp.GetPalette()[15], (PLPixel32{9, 8, 7, 255}));
}

TEST(BmpDecoder, ShortPaletteLeavesTheRestBlackAndIndicesStayRaw) {
    BmpLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.colorsUsed = 2;
    layout.palette = {{0, 0, 255}, {0, 255, 0}};
    layout.pixels = {1, 250, 0, 0};  // 250 is past the file's palette
    PLAnyBmp bmp;
    Decode(MakeBmp(layout), bmp);
    EXPECT_EQ(bmp.GetLine(0)[0], 1);
    EXPECT_EQ(bmp.GetLine(0)[1], 250);
    EXPECT_EQ(bmp.GetPalette()[1], (PLPixel32{0, 255, 0, 255}));
    EXPECT_EQ(bmp.GetPalette()[250], (PLPixel32{0, 0, 0, 255}));
    // Widened to 32 bits, index 250 takes the (black) entry, not memory beyond the palette.
    Decode(MakeBmp(layout), bmp, 32);
    EXPECT_EQ(Pixel32(bmp, 0, 0), (PLPixel32{0, 255, 0, 255}));
    EXPECT_EQ(Pixel32(bmp, 1, 0), (PLPixel32{0, 0, 0, 255}));
}

TEST(BmpDecoder, OneBitUsesTheTopBitsOfAPartialByte) {
    BmpLayout layout;
    layout.width = 10;
    layout.height = 1;
    layout.bpp = 1;
    layout.palette = {{0, 0, 0}, {255, 255, 255}};
    layout.pixels = {0b10110000, 0b01000000, 0, 0};
    PLAnyBmp bmp;
    Decode(MakeBmp(layout), bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    const std::uint8_t expected[10] = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(bmp.GetLine(0)[x], expected[x]) << x;
}

TEST(BmpDecoder, TrueColourDepthsDecodeToBlueGreenRedAlpha) {
    PLAnyBmp bmp;
    BmpLayout rgb;
    rgb.width = 2;
    rgb.height = 1;
    rgb.bpp = 24;
    rgb.pixels = {10, 20, 30, 40, 50, 60, 0, 0};
    Decode(MakeBmp(rgb), bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
    EXPECT_FALSE(bmp.HasAlpha());
    EXPECT_EQ(Pixel32(bmp, 1, 0), (PLPixel32{40, 50, 60, 255}));

    BmpLayout argb = rgb;
    argb.bpp = 32;
    argb.pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    Decode(MakeBmp(argb), bmp);
    EXPECT_TRUE(bmp.HasAlpha());
    EXPECT_EQ(Pixel32(bmp, 1, 0), (PLPixel32{5, 6, 7, 8}));

    BmpLayout x555 = rgb;
    x555.bpp = 16;
    x555.pixels = {0x00, 0x7C, 0xE0, 0x03};  // pure red, pure green
    Decode(MakeBmp(x555), bmp);
    EXPECT_EQ(Pixel32(bmp, 0, 0), (PLPixel32{0, 0, 0xF8, 255}));
    EXPECT_EQ(Pixel32(bmp, 1, 0), (PLPixel32{0, 0xF8, 0, 255}));

    BmpLayout x565 = x555;
    x565.compression = 3;
    picture_test::ByteWriter masks;
    masks.U32(0xF800).U32(0x07E0).U32(0x001F);
    x565.afterHeader = masks.bytes;
    x565.pixels = {0x00, 0xF8, 0x1F, 0x00};  // pure red, pure blue
    Decode(MakeBmp(x565), bmp);
    EXPECT_EQ(Pixel32(bmp, 0, 0), (PLPixel32{0, 0, 0xF8, 255}));
    EXPECT_EQ(Pixel32(bmp, 1, 0), (PLPixel32{0xF8, 0, 0, 255}));
}

TEST(BmpDecoder, Os2HeaderWithThreeBytePaletteAndGapBeforePixels) {
    BmpLayout layout;
    layout.os2 = true;
    layout.width = 2;
    layout.height = 2;
    layout.palette = GreyPalette(256);
    layout.palette[7] = {70, 80, 90};
    layout.pixelOffset = 14 + 12 + 256 * 3 + 6;  // six bytes of gap
    layout.pixels = {7, 1, 0, 0, 2, 3, 0, 0};
    PLAnyBmp bmp;
    Decode(MakeBmp(layout), bmp);
    EXPECT_EQ(bmp.GetLine(1)[0], 7);
    EXPECT_EQ(bmp.GetLine(0)[1], 3);
    EXPECT_EQ(bmp.GetPalette()[7], (PLPixel32{70, 80, 90, 255}));
}

TEST(BmpDecoder, BitmapArrayHeadersAreSkipped) {
    BmpLayout layout;
    layout.width = 1;
    layout.height = 1;
    layout.palette = GreyPalette(256);
    layout.pixels = {99, 0, 0, 0};
    Bytes file = MakeBmp(layout);
    picture_test::ByteWriter array;
    array.Text("BA").U32(0).U32(0).U32(0);
    file.insert(file.begin(), array.bytes.begin(), array.bytes.end());
    PLAnyBmp bmp;
    Decode(file, bmp);
    EXPECT_EQ(bmp.GetLine(0)[0], 99);

    // The pixel offset counts from the start of the data, array header included.
    BmpLayout gap = layout;
    gap.pixelOffset = 14 + 40 + 1024 + 20;
    Bytes inner = MakeBmp(gap);  // pixels 20 bytes after the palette
    inner.erase(inner.begin() + 14 + 40 + 1024, inner.begin() + 14 + 40 + 1024 + 14);
    inner.insert(inner.begin(), array.bytes.begin(), array.bytes.end());
    inner[14 + 14 + 40 + 1024 + 5] = 55;  // in the gap, right before the pixels
    Decode(inner, bmp);
    EXPECT_EQ(bmp.GetLine(0)[0], 99);

    // An array header followed by something that is not a bitmap.
    file[14] = 'X';
    const PLTextException e = DecodeError(file);
    EXPECT_EQ(e.GetCode(), 1);
    EXPECT_EQ(e.GetText(), "Decoder error: Bitmap decoder: This isn't a bitmap.\n");
}

TEST(BmpDecoder, IllegalDepthRaisesCode2) {
    BmpLayout layout;
    layout.bpp = 7;
    layout.pixels = {0, 0, 0, 0};
    const PLTextException e = DecodeError(MakeBmp(layout));
    EXPECT_EQ(e.GetCode(), 2);
    EXPECT_EQ(e.GetText(), "Decoder error: Decoding bmp: Illegal bpp value.\n");
}

TEST(BmpDecoder, ResolutionFromPixelsPerMetre) {
    BmpLayout layout;
    layout.bpp = 24;
    layout.pixels = {0, 0, 0, 0};
    layout.xPelsPerMeter = 3780;  // 96.01 dpi
    layout.yPelsPerMeter = 2835;  // 72.01 dpi
    PLAnyBmp bmp;
    Decode(MakeBmp(layout), bmp);
    EXPECT_EQ(bmp.GetResolution(), (PLPoint{96, 72}));

    layout.xPelsPerMeter = 39;  // 1 dpi: too small to mean anything
    layout.yPelsPerMeter = -3780;
    Decode(MakeBmp(layout), bmp);
    EXPECT_EQ(bmp.GetResolution(), (PLPoint{0, 0}));
}

TEST(BmpDecoder, TruncatedDataRaisesCode11) {
    BmpLayout layout;
    layout.width = 4;
    layout.height = 4;
    layout.palette = GreyPalette(256);
    layout.pixels = Bytes(16, 5);
    const Bytes whole = MakeBmp(layout);
    const Bytes lastByteMissing(whole.begin(), whole.end() - 1);
    PLTextException e = DecodeError(lastByteMissing);
    EXPECT_EQ(e.GetCode(), 11);
    EXPECT_EQ(e.GetText(), "End of file reached while decoding.\n");

    Bytes header(whole.begin(), whole.begin() + 30);  // inside the information header
    EXPECT_EQ(DecodeError(header).GetCode(), 11);
    Bytes palette(whole.begin(), whole.begin() + 200);
    EXPECT_EQ(DecodeError(palette).GetCode(), 11);
}

TEST(BmpDecoder, TopDownFilesKeepTheirLineOrder) {
    BmpLayout layout;
    layout.width = 1;
    layout.height = -2;
    layout.palette = GreyPalette(256);
    layout.pixels = {1, 0, 0, 0, 2, 0, 0, 0};
    PLAnyBmp bmp;
    Decode(MakeBmp(layout), bmp);
    ASSERT_EQ(bmp.GetHeight(), 2);
    EXPECT_EQ(bmp.GetLine(0)[0], 1);
    EXPECT_EQ(bmp.GetLine(1)[0], 2);
}

TEST(BmpDecoder, HugeOrEmptySizesAreRefused) {
    BmpLayout layout;
    layout.width = 40000;
    layout.height = 40000;
    layout.compression = 1;
    layout.palette = GreyPalette(256);
    layout.pixels = {0, 1};
    EXPECT_EQ(DecodeError(MakeBmp(layout)).GetCode(), 10);
    layout.width = 0;
    EXPECT_EQ(DecodeError(MakeBmp(layout)).GetCode(), 1);
}

// RLE8: lines from the bottom up; (count, value) runs and escapes.
TEST(BmpDecoder, Rle8RunsAbsoluteRunsAndEndOfLine) {
    BmpLayout layout;
    layout.width = 5;
    layout.height = 2;
    layout.compression = 1;
    layout.palette = GreyPalette(256);
    layout.pixels = {3, 9, 0, 3, 1, 2, 3, 0 /* pad */, 0, 0,  // bottom line: 9 9 9 1 2
                     2, 4, 0, 1};                             // top line: 4 4, then end
    PLAnyBmp bmp;
    Decode(MakeBmp(layout), bmp);
    const std::uint8_t bottom[5] = {9, 9, 9, 1, 2};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(bmp.GetLine(1)[x], bottom[x]) << x;
    EXPECT_EQ(bmp.GetLine(0)[0], 4);
    EXPECT_EQ(bmp.GetLine(0)[1], 4);
    EXPECT_EQ(bmp.GetLine(0)[2], 0);
}

TEST(BmpDecoder, Rle8DeltaEscapeRaisesCode6) {
    BmpLayout layout;
    layout.width = 4;
    layout.height = 2;
    layout.compression = 1;
    layout.palette = GreyPalette(256);
    layout.pixels = {2, 1, 0, 2, 1, 1, 0, 1};
    const PLTextException e = DecodeError(MakeBmp(layout));
    EXPECT_EQ(e.GetCode(), 6);
    EXPECT_EQ(e.GetText(), "Decoder error: Encountered delta escape.\n");
}

TEST(BmpDecoder, RleRunsPastTheLineAreClippedNotWrapped) {
    BmpLayout layout;
    layout.width = 3;
    layout.height = 2;
    layout.compression = 1;
    layout.palette = GreyPalette(256);
    // 255 pixels into a 3-pixel line, an absolute run of 5 after that, more lines than
    // the picture has, and no end-of-picture marker after the last line.
    layout.pixels = {255, 7, 0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 3, 8};
    PLAnyBmp bmp;
    Decode(MakeBmp(layout), bmp);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(bmp.GetLine(1)[x], 7);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(bmp.GetLine(0)[x], 0);

    BmpLayout four = layout;
    four.bpp = 4;
    four.compression = 2;
    four.palette = GreyPalette(16);
    four.pixels = {255, 0x12, 0, 0, 0, 7, 0x34, 0x56, 0x78, 0x90, 0, 0, 0, 1};
    Decode(MakeBmp(four), bmp);
    const std::uint8_t bottom[3] = {1, 2, 1};
    const std::uint8_t top[3] = {3, 4, 5};
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(bmp.GetLine(1)[x], bottom[x]) << x;
        EXPECT_EQ(bmp.GetLine(0)[x], top[x]) << x;
    }
}

TEST(BmpDecoder, Rle4AbsoluteRunSkipsPaddingAndDeltaRaises) {
    BmpLayout layout;
    layout.width = 6;
    layout.height = 1;
    layout.bpp = 4;
    layout.compression = 2;
    layout.palette = GreyPalette(16);
    // Absolute run of 3 pixels: 2 bytes, even, so no padding; then a run of 3 alternating.
    layout.pixels = {0, 3, 0xAB, 0xC0, 3, 0x12, 0, 1};
    PLAnyBmp bmp;
    Decode(MakeBmp(layout), bmp);
    const std::uint8_t expected[6] = {0xA, 0xB, 0xC, 1, 2, 1};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(bmp.GetLine(0)[x], expected[x]) << x;

    // Absolute run of 5 pixels: 3 bytes, odd, so one padding byte follows.
    layout.pixels = {0, 5, 0x12, 0x34, 0x50, 0xFF, 1, 0x70, 0, 1};
    Decode(MakeBmp(layout), bmp);
    const std::uint8_t padded[6] = {1, 2, 3, 4, 5, 7};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(bmp.GetLine(0)[x], padded[x]) << x;

    layout.pixels = {0, 2, 0, 0};
    EXPECT_EQ(DecodeError(MakeBmp(layout)).GetCode(), 6);
}

TEST(BmpDecoder, Rle8WithoutEndMarkerRaisesCode11) {
    BmpLayout layout;
    layout.width = 4;
    layout.height = 2;
    layout.compression = 1;
    layout.palette = GreyPalette(256);
    layout.pixels = {4, 1};
    EXPECT_EQ(DecodeError(MakeBmp(layout)).GetCode(), 11);
}
