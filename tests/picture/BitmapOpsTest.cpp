// Bitmap operations: creating, copying, masks, cropping, the QImage view and BMP writing.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>

#include "picture/BmpEncoder.h"
#include "picture/ImageView.h"
#include "picture/PLAnyBmp.h"
#include "picture/PLAnyPicDecoder.h"
#include "picture/PLDIBSection.h"
#include "picture/PLFilterCrop.h"
#include "picture/PLTextException.h"

using picture::PLAnyBmp;
using picture::PLAnyPicDecoder;
using picture::PLBmp;
using picture::PLDIBSection;
using picture::PLFilterCrop;
using picture::PLPixel32;
using picture::PLPoint;
using picture::PLTextException;

namespace {

std::uint8_t Pattern(int x, int y) {
    return static_cast<std::uint8_t>(x * 7 + y * 13);
}

void FillPattern8(PLBmp& bmp) {
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        for (int x = 0; x < bmp.GetWidth(); ++x) bmp.GetLine(y)[x] = Pattern(x, y);
    }
}

void FillPattern32(PLBmp& bmp) {
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        for (int x = 0; x < bmp.GetWidth(); ++x) {
            std::uint8_t* p = bmp.GetLine(y) + 4 * x;
            p[0] = Pattern(x, y);
            p[1] = static_cast<std::uint8_t>(x);
            p[2] = static_cast<std::uint8_t>(y);
            p[3] = 0;
        }
    }
}

}  // namespace

TEST(Bitmap, FreshDibSectionAndCreateWithTheGreyRamp) {
    PLDIBSection fresh;
    EXPECT_EQ(fresh.GetWidth(), 16);
    EXPECT_EQ(fresh.GetHeight(), 16);
    EXPECT_EQ(fresh.GetBitsPerPixel(), 8);

    PLDIBSection bmp;
    bmp.Create(5, 3, 8, false, true, PLPoint{72, 96});
    EXPECT_EQ(bmp.GetBytesPerLine(), 8);
    EXPECT_EQ(bmp.GetResolution(), (PLPoint{72, 96}));
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        ASSERT_EQ(bmp.GetPalette()[i], (PLPixel32{v, v, v, 255}));
    }
    bmp.Create(3, 2, 32, false, false);
    EXPECT_EQ(bmp.GetBytesPerLine(), 12);
    EXPECT_EQ(bmp.GetPalette(), nullptr);
    for (int y = 0; y < 2; ++y) {
        for (int i = 0; i < 12; ++i) ASSERT_EQ(bmp.GetLine(y)[i], 0);
    }
    EXPECT_THROW(bmp.Create(0, 5, 32, false, false), PLTextException);
    EXPECT_THROW(bmp.Create(5, 5, 24, false, false), PLTextException);
    try {
        bmp.Create(30000, 30000, 32, false, false);
        FAIL();
    } catch (const PLTextException& e) {
        EXPECT_EQ(e.GetCode(), 10);
        EXPECT_EQ(e.GetText(), "Out of memory creating bitmap.");
    }
}

TEST(Bitmap, CopyFromSameDepthCopiesLinesPaletteAndResolution) {
    PLAnyBmp source;
    source.Create(7, 4, 8, false, false, PLPoint{300, 300});
    FillPattern8(source);
    source.GetPalette()[3] = PLPixel32{1, 2, 3, 255};
    PLDIBSection copy;
    copy.CopyFrom(source);
    ASSERT_EQ(copy.GetBitsPerPixel(), 8);
    EXPECT_EQ(copy.GetResolution(), (PLPoint{300, 300}));
    EXPECT_EQ(copy.GetPalette()[3], (PLPixel32{1, 2, 3, 255}));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 7; ++x) ASSERT_EQ(copy.GetLine(y)[x], Pattern(x, y));
    }

    PLAnyBmp wide;
    wide.CopyFrom(source, 32);
    EXPECT_EQ(wide.GetBitsPerPixel(), 32);
    const std::uint8_t* p = wide.GetLine(0) + 4 * 3;  // Pattern(3, 0) = 21
    EXPECT_EQ(p[0], 21);
    PLAnyBmp narrow;
    EXPECT_THROW(narrow.CopyFrom(wide, 8), PLTextException);
    wide.CopyFrom(wide);  // copying onto itself keeps the picture
    EXPECT_EQ(wide.GetLine(0)[12], 21);
}

TEST(Bitmap, CropOfTheLampRectangleGivesItsFifteenByFifteenPixels) {
    PLDIBSection mask;
    mask.Create(606, 520, 8, false, false);
    FillPattern8(mask);
    PLDIBSection lamp;
    ASSERT_TRUE(PLFilterCrop(427, 211, 442, 226).Apply(mask, lamp));
    ASSERT_EQ(lamp.GetWidth(), 15);
    ASSERT_EQ(lamp.GetHeight(), 15);
    ASSERT_EQ(lamp.GetBitsPerPixel(), 8);
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 15; ++x) ASSERT_EQ(lamp.GetLine(y)[x], Pattern(427 + x, 211 + y));
    }

    PLDIBSection colour;
    colour.Create(606, 520, 32, true, false);
    FillPattern32(colour);
    PLAnyBmp piece;
    ASSERT_TRUE(PLFilterCrop(427, 211, 442, 226).Apply(colour, piece));
    EXPECT_TRUE(piece.HasAlpha());
    const std::uint8_t* p = piece.GetLine(14) + 4 * 14;
    EXPECT_EQ(p[0], Pattern(441, 225));
    EXPECT_EQ(p[1], static_cast<std::uint8_t>(441));
    EXPECT_EQ(p[2], static_cast<std::uint8_t>(225));
}

TEST(Bitmap, CropReachingOutsideTheSourceIsClipped) {
    PLAnyBmp source;
    source.Create(4, 4, 8, false, false);
    FillPattern8(source);
    PLAnyBmp piece;
    ASSERT_TRUE(PLFilterCrop(2, -1, 6, 2).Apply(source, piece));
    ASSERT_EQ(piece.GetWidth(), 4);
    ASSERT_EQ(piece.GetHeight(), 3);
    EXPECT_EQ(piece.GetLine(0)[0], 0);  // above the source
    EXPECT_EQ(piece.GetLine(1)[0], Pattern(2, 0));
    EXPECT_EQ(piece.GetLine(2)[1], Pattern(3, 1));
    EXPECT_EQ(piece.GetLine(2)[2], 0);  // right of the source
    ASSERT_TRUE(PLFilterCrop(10, 10, 12, 12).Apply(source, piece));
    EXPECT_EQ(piece.GetLine(1)[1], 0);
    const util::Status empty = PLFilterCrop(3, 3, 3, 5).Apply(source, piece);
    EXPECT_FALSE(empty);
    EXPECT_EQ(empty.error().code, picture::PLErr::kDecoding);
}

TEST(Bitmap, MaskOfAnotherSizeOnlyCoversTheOverlap) {
    PLAnyBmp picture;
    picture.Create(4, 3, 32, false, false);
    PLAnyBmp small;
    small.Create(2, 5, 8, false, false);
    FillPattern8(small);
    ASSERT_TRUE(picture.SetAlphaFromMask(small));
    EXPECT_EQ(picture.GetLine(1)[4 * 1 + 3], Pattern(1, 1));
    EXPECT_EQ(picture.GetLine(1)[4 * 2 + 3], 0);
    EXPECT_TRUE(picture.HasAlpha());
    const util::Status wrongDepth = small.SetAlphaFromMask(picture);
    EXPECT_FALSE(wrongDepth);
    EXPECT_EQ(wrongDepth.error().code, picture::PLErr::kDecoding);
}

TEST(ImageView, SharesThePixelsAndPaints) {
    PLDIBSection bmp;
    bmp.Create(3, 2, 32, false, false);
    std::uint8_t* p = bmp.GetLine(1) + 4 * 2;
    p[0] = 10;   // blue
    p[1] = 20;   // green
    p[2] = 250;  // red
    QImage view = picture::ImageView(bmp);
    EXPECT_EQ(view.constBits(), bmp.GetLine(0));
    EXPECT_EQ(view.format(), QImage::Format_RGB32);
    EXPECT_EQ(QColor(view.pixel(2, 1)), QColor(250, 20, 10));

    PLAnyBmp mask;
    mask.Create(3, 2, 8, false, false);
    mask.GetLine(1)[2] = 128;
    ASSERT_TRUE(bmp.SetAlphaFromMask(mask));
    view = bmp.GetHandle();
    EXPECT_EQ(view.format(), QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(view.pixel(2, 1)), 128);
    EXPECT_EQ(qAlpha(view.pixel(0, 0)), 0);

    QImage canvas(3, 2, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        bmp.Draw(painter, 0, 0);
    }
    EXPECT_EQ(qRed(canvas.pixel(2, 1)), 250);
    EXPECT_EQ(qAlpha(canvas.pixel(2, 1)), 128);

    const PLDIBSection& constMask = bmp;
    PLAnyBmp grey;
    grey.Create(2, 2, 8, false, true);
    grey.GetLine(0)[1] = 77;
    const QImage greyView = picture::ImageView(static_cast<const PLBmp&>(grey));
    EXPECT_EQ(greyView.format(), QImage::Format_Indexed8);
    EXPECT_EQ(qGray(greyView.pixel(1, 0)), 77);
    EXPECT_EQ(picture::ImageView(constMask).constBits(), bmp.GetLine(0));
}

TEST(ImageView, ToImageOwnsItsPixelsAndIsOpaqueWithoutAlpha) {
    QImage image;
    {
        PLDIBSection bmp;
        bmp.Create(2, 2, 32, false, false);
        bmp.GetLine(1)[4 + 2] = 200;  // red of pixel (1, 1)
        image = picture::ToImage(bmp);
        EXPECT_NE(image.constBits(), bmp.GetLine(0));
    }
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(1, 1), qRgba(200, 0, 0, 255));
    EXPECT_EQ(qAlpha(reinterpret_cast<const QRgb*>(image.constScanLine(0))[0]), 255);
}

TEST(BmpEncoder, GreyMaskRoundTripsThroughTheDecoder) {
    std::vector<std::uint8_t> pixels(5 * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 17);
    const auto file = picture::EncodeGreyBmp(5, 3, pixels);
    EXPECT_EQ(file.size(), 14u + 40 + 1024 + 8 * 3);
    PLAnyPicDecoder decoder;
    PLDIBSection bmp;
    decoder.DecodeMemory(file, bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_EQ(bmp.GetResolution(), (PLPoint{72, 72}));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(bmp.GetLine(y)[x], pixels[static_cast<std::size_t>(y * 5 + x)]);
    }
    EXPECT_EQ(bmp.GetPalette()[99], (PLPixel32{99, 99, 99, 255}));
    EXPECT_THROW(picture::EncodeGreyBmp(5, 3, std::span(pixels).first(10)), std::invalid_argument);
    EXPECT_THROW(picture::EncodeGreyBmp(0, 3, pixels), std::invalid_argument);
}

TEST(BmpEncoder, ColourPictureExportRoundTrips) {
    PLDIBSection bmp;
    bmp.Create(5, 4, 32, true, false);
    FillPattern32(bmp);
    const auto file = bmp.CopyToMemory();
    PLAnyPicDecoder decoder;
    PLAnyBmp back;
    decoder.DecodeMemory(file, back);
    ASSERT_EQ(back.GetBitsPerPixel(), 32);
    for (int y = 0; y < 4; ++y) {
        for (int i = 0; i < 20; ++i) ASSERT_EQ(back.GetLine(y)[i], bmp.GetLine(y)[i]);
    }
}
