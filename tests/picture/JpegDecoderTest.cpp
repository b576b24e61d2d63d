// The JPEG decoder on pictures encoded with libjpeg in the test.
#include <gtest/gtest.h>

#include <cstdlib>

#include "picture/PLAnyBmp.h"
#include "picture/PLAnyPicDecoder.h"
#include "picture/PLDIBSection.h"
#include "picture/PLJPEGDecoder.h"
#include "picture/PLMemSource.h"
#include "picture/PLTextException.h"
#include "tests/picture/TestPictures.h"

using picture::PLAnyBmp;
using picture::PLAnyPicDecoder;
using picture::PLDIBSection;
using picture::PLFileFormat;
using picture::PLJPEGDecoder;
using picture::PLMemSource;
using picture::PLPixel32;
using picture::PLPoint;
using picture::PLTextException;

using picture_test::Bytes;
using picture_test::EncodeJpeg;
using picture_test::JpegLayout;

namespace {

// Left half red, right half blue, a green band at the bottom: any swap of channels shows.
std::array<std::uint8_t, 3> Flags(int x, int y) {
    if (y >= 24)
        return {0, 255, 0};
    return x < 16 ? std::array<std::uint8_t, 3>{255, 0, 0} : std::array<std::uint8_t, 3>{0, 0, 255};
}

Bytes ColourJpeg(JpegLayout layout = {}) {
    layout.width = 32;
    layout.height = 32;
    return EncodeJpeg(layout, Flags);
}

void ExpectNear(const std::uint8_t* bgr, int b, int g, int r) {
    EXPECT_NEAR(bgr[0], b, 6);
    EXPECT_NEAR(bgr[1], g, 6);
    EXPECT_NEAR(bgr[2], r, 6);
}

PLTextException DecodeError(const Bytes& data, int wantedBpp = 0) {
    PLAnyPicDecoder decoder;
    PLAnyBmp bmp;
    try {
        decoder.DecodeMemory(data, bmp, wantedBpp);
    } catch (const PLTextException& e) {
        return e;
    }
    ADD_FAILURE() << "no exception";
    return PLTextException(0, "");
}

}  // namespace

TEST(JpegDecoder, ColourDecodesTo32BitsBlueGreenRedWithSpareByteZero) {
    PLAnyPicDecoder decoder;
    PLDIBSection bmp;
    decoder.DecodeMemory(ColourJpeg(), bmp);
    EXPECT_EQ(decoder.GetFileFormat(), PLFileFormat::Jpeg);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
    ASSERT_EQ(bmp.GetWidth(), 32);
    ASSERT_EQ(bmp.GetHeight(), 32);
    EXPECT_FALSE(bmp.HasAlpha());
    EXPECT_FALSE(bmp.IsGreyscale());
    EXPECT_EQ(bmp.GetPalette(), nullptr);
    ExpectNear(bmp.GetLine(4) + 4 * 4, 0, 0, 255);    // red
    ExpectNear(bmp.GetLine(4) + 4 * 28, 255, 0, 0);   // blue
    ExpectNear(bmp.GetLine(30) + 4 * 10, 0, 255, 0);  // green, near the bottom
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) ASSERT_EQ(bmp.GetLine(y)[4 * x + 3], 0) << x << "," << y;
    }
}

TEST(JpegDecoder, MaskGivesAlphaAndLeavesColoursAlone) {
    PLAnyPicDecoder decoder;
    PLDIBSection picture;
    decoder.DecodeMemory(ColourJpeg(), picture);
    PLAnyBmp before;
    before.CopyFrom(picture);
    PLDIBSection mask;
    mask.Create(32, 32, 8, false, false);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) mask.GetLine(y)[x] = static_cast<std::uint8_t>(x * 8 + y);
    }
    ASSERT_TRUE(picture.SetAlphaFromMask(mask));
    EXPECT_TRUE(picture.HasAlpha());
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const std::uint8_t* p = picture.GetLine(y) + 4 * x;
            const std::uint8_t* q = before.GetLine(y) + 4 * x;
            ASSERT_EQ(p[3], static_cast<std::uint8_t>(x * 8 + y));
            ASSERT_TRUE(p[0] == q[0] && p[1] == q[1] && p[2] == q[2]);
        }
    }
}

TEST(JpegDecoder, GreyscaleDecodesTo8BitsWithTheGreyRamp) {
    JpegLayout layout;
    layout.grey = true;
    layout.width = 64;
    layout.height = 4;
    const Bytes data = EncodeJpeg(layout, [](int x, int) {
        return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(x * 4), 0, 0};
    });
    PLAnyPicDecoder decoder;
    PLDIBSection bmp;
    decoder.DecodeMemory(data, bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_TRUE(bmp.IsGreyscale());
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        ASSERT_EQ(bmp.GetPalette()[i], (PLPixel32{v, v, v, 255})) << i;
    }
    for (int x = 0; x < 64; x += 7) EXPECT_NEAR(bmp.GetLine(2)[x], x * 4, 4) << x;
}

TEST(JpegDecoder, WantedDepthBelowThePicturesRaisesCode6) {
    const PLTextException e = DecodeError(ColourJpeg(), 8);
    EXPECT_EQ(e.GetCode(), 6);
    EXPECT_EQ(e.GetText(), "Image bit depth doesn't match request.");
}

TEST(JpegDecoder, GreyscaleWidenedTo32BitsThroughThePalette) {
    JpegLayout layout;
    layout.grey = true;
    const Bytes data = EncodeJpeg(layout, [](int, int) {
        return std::array<std::uint8_t, 3>{200, 0, 0};
    });
    PLAnyPicDecoder decoder;
    PLDIBSection bmp;
    decoder.DecodeMemory(data, bmp, 32);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
    ExpectNear(bmp.GetLine(3) + 12, 200, 200, 200);
    EXPECT_EQ(bmp.GetLine(3)[15], 255);  // palette alpha
}

TEST(JpegDecoder, ExifWithBigEndianTiffHeaderAndEmptyDirectoryDecodesNormally) {
    JpegLayout layout;
    layout.app1 = picture_test::EmptyBigEndianExif();
    layout.densityUnit = 1;
    layout.xDensity = 72;
    layout.yDensity = 72;
    const Bytes data = ColourJpeg(layout);
    PLJPEGDecoder decoder;
    PLMemSource source;
    source.Open(data);
    PLDIBSection bmp;
    decoder.MakeBmp(source, bmp);
    EXPECT_EQ(bmp.GetWidth(), 32);
    ExpectNear(bmp.GetLine(4) + 4 * 4, 0, 0, 255);
    ASSERT_EQ(decoder.GetApp1Markers().size(), 1u);
    EXPECT_EQ(decoder.GetApp1Markers()[0], picture_test::EmptyBigEndianExif());
    EXPECT_EQ(bmp.GetResolution(), (PLPoint{72, 72}));
}

TEST(JpegDecoder, ResolutionFromJfifDensities) {
    PLAnyPicDecoder decoder;
    PLAnyBmp bmp;
    JpegLayout perCm;
    perCm.densityUnit = 2;
    perCm.xDensity = 28;  // 71.12 dpi
    perCm.yDensity = 40;  // 101.6 dpi
    decoder.DecodeMemory(ColourJpeg(perCm), bmp);
    EXPECT_EQ(bmp.GetResolution(), (PLPoint{71, 101}));

    JpegLayout one;
    one.densityUnit = 1;
    one.xDensity = 1;
    one.yDensity = 300;
    decoder.DecodeMemory(ColourJpeg(one), bmp);
    EXPECT_EQ(bmp.GetResolution(), (PLPoint{0, 0}));
}

TEST(JpegDecoder, CutOffPictureStillDecodesToFullSize) {
    Bytes data = ColourJpeg();
    // Cut in the middle of the compressed data, after the scan header (FF DA).
    std::size_t sos = 0;
    for (std::size_t i = 2; i + 1 < data.size() && sos == 0; ++i) {
        if (data[i] == 0xFF && data[i + 1] == 0xDA)
            sos = i;
    }
    ASSERT_NE(sos, 0u);
    data.resize(sos + (data.size() - sos) / 2);
    PLAnyPicDecoder decoder;
    PLAnyBmp bmp;
    try {
        decoder.DecodeMemory(data, bmp);
    } catch (const PLTextException& e) {
        FAIL() << e.GetText();
    }
    EXPECT_EQ(bmp.GetWidth(), 32);
    EXPECT_EQ(bmp.GetHeight(), 32);
    ExpectNear(bmp.GetLine(2) + 8, 0, 0, 255);  // the first lines are there
}

TEST(JpegDecoder, FatalLibjpegErrorBecomesCode6AndTheDecoderStaysUsable) {
    Bytes broken = ColourJpeg();
    // Find the frame header (FF C0) and set the picture's height to 0.
    std::size_t sof = 0;
    for (std::size_t i = 2; i + 1 < broken.size(); ++i) {
        if (broken[i] == 0xFF && broken[i + 1] == 0xC0) {
            sof = i;
            break;
        }
    }
    ASSERT_NE(sof, 0u);
    broken[sof + 5] = 0;
    broken[sof + 6] = 0;
    PLAnyPicDecoder decoder;
    PLAnyBmp bmp;
    try {
        decoder.DecodeMemory(broken, bmp);
        FAIL() << "no exception";
    } catch (const PLTextException& e) {
        EXPECT_EQ(e.GetCode(), 6);
        EXPECT_EQ(e.GetText().rfind("Decoder error: ", 0), 0u) << e.GetText();
        EXPECT_GT(e.GetText().size(), 20u);
        EXPECT_EQ(e.GetText().substr(e.GetText().size() - 2), "\n\n");
    }
    // The same decoder goes on with the next picture.
    decoder.DecodeMemory(ColourJpeg(), bmp);
    ExpectNear(bmp.GetLine(4) + 4 * 28, 255, 0, 0);
}

TEST(JpegDecoder, OnlyTheSignatureIsNotAPicture) {
    const Bytes data = {0xFF, 0xD8, 0xFF};
    EXPECT_EQ(DecodeError(data).GetCode(), 6);
    const Bytes tablesOnly = {0xFF, 0xD8, 0xFF, 0xD9};
    EXPECT_EQ(DecodeError(tablesOnly).GetCode(), 6);
}
