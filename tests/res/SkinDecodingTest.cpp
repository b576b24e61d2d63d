// The radio's own picture decoder reads every skin resource at its natural depth: colour
// JPEGs at 32 bits per pixel, masks at 8, and the masks give their pictures the right shape.

#include <gtest/gtest.h>

#include <string>

#include "picture/PLAnyBmp.h"
#include "picture/PLAnyPicDecoder.h"
#include "picture/PLTextException.h"

using picture::PLAnyBmp;
using picture::PLAnyPicDecoder;
using picture::PLTextException;

namespace {

struct Expected {
    int id;
    int width, height, bitsPerPixel;
};

const Expected kPictures[] = {
    {118, 316, 316, 32}, {130, 606, 520, 32}, {131, 328, 29, 32},  {132, 16, 9, 32},
    {133, 15, 15, 32},   {192, 184, 28, 32},  {193, 184, 28, 8},   {230, 606, 520, 8},
    {231, 328, 29, 8},   {232, 16, 10, 8},    {500, 218, 216, 32},
};

void ExpectDecodes(PLAnyPicDecoder& decoder, int id, int width, int height, int bpp,
                   util::ResourceType type = util::ResourceType::RcData) {
    SCOPED_TRACE("resource " + std::to_string(id));
    PLAnyBmp bmp;
    try {
        decoder.DecodeResource(id, bmp, 0, type);
    } catch (const PLTextException& e) {
        FAIL() << e.GetText();
    }
    EXPECT_EQ(bmp.GetWidth(), width);
    EXPECT_EQ(bmp.GetHeight(), height);
    EXPECT_EQ(bmp.GetBitsPerPixel(), bpp);
}

TEST(SkinDecoding, EveryPictureDecodesAtItsNaturalDepth) {
    PLAnyPicDecoder decoder;
    for (const Expected& e : kPictures)
        ExpectDecodes(decoder, e.id, e.width, e.height, e.bitsPerPixel);
    for (int n = 0; n < 35; ++n) {
        ExpectDecodes(decoder, 400 + n, 335, 228, 32);
        ExpectDecodes(decoder, 450 + n, 335, 228, 8);
    }
    // The bitmaps (menu strip, close button) are 24-bit files: 32 bits in memory.
    ExpectDecodes(decoder, 600, 176, 15, 32, util::ResourceType::Bitmap);
    ExpectDecodes(decoder, 135, 18, 18, 32, util::ResourceType::Bitmap);
    ExpectDecodes(decoder, 136, 18, 18, 32, util::ResourceType::Bitmap);
}

TEST(SkinDecoding, BackgroundMaskMakesTheCornersClearAndTheDialSolid) {
    PLAnyPicDecoder decoder;
    PLAnyBmp background;
    PLAnyBmp mask;
    decoder.DecodeResource(130, background);
    decoder.DecodeResource(230, mask);
    ASSERT_TRUE(background.SetAlphaFromMask(mask));
    ASSERT_TRUE(background.HasAlpha());
    const auto alphaAt = [&background](int x, int y) { return background.GetLine(y)[4 * x + 3]; };
    EXPECT_EQ(alphaAt(0, 0), 0);
    EXPECT_EQ(alphaAt(605, 519), 0);
    EXPECT_EQ(alphaAt(300, 60), 0) << "above the cabinet, where the flap rises";
    EXPECT_EQ(alphaAt(333, 322), 255) << "the dial's centre";
    EXPECT_EQ(alphaAt(250, 482), 255) << "the status window";
}

TEST(SkinDecoding, AMissingNumberReportsWhichResourceFailed) {
    PLAnyPicDecoder decoder;
    PLAnyBmp bmp;
    try {
        decoder.DecodeResource(435, bmp);
        FAIL() << "flap frame 35 does not exist";
    } catch (const PLTextException& e) {
        EXPECT_EQ(e.GetCode(), 4);
        EXPECT_NE(e.GetText().find("Opening resource 435 failed"), std::string::npos)
            << e.GetText();
    }
}

}  // namespace

// Every picture number comes a second time drawn twice as big, for screens of twice the
// density: the same form (a JPEG stays a colour picture, a mask an 8-bit one) at exactly
// twice the width and height. The masks still shape their pictures where the originals do.
TEST(SkinDecoding, EveryPictureHasATwiceAsBigOneOfTheSameForm) {
    PLAnyPicDecoder decoder;
    int checked = 0;
    const auto expectTwice = [&](int id, util::ResourceType type) {
        SCOPED_TRACE("resource " + std::to_string(id) + "@2x");
        PLAnyBmp original, twice;
        try {
            decoder.DecodeResource(id, original, 0, type);
            decoder.DecodeResource(id, twice, 0, type, 2);
        } catch (const PLTextException& e) {
            FAIL() << e.GetText();
        }
        EXPECT_EQ(twice.GetWidth(), 2 * original.GetWidth());
        EXPECT_EQ(twice.GetHeight(), 2 * original.GetHeight());
        EXPECT_EQ(twice.GetBitsPerPixel(), original.GetBitsPerPixel());
        ++checked;
    };
    for (const Expected& e : kPictures) expectTwice(e.id, util::ResourceType::RcData);
    for (int n = 0; n < 35; ++n) {
        expectTwice(400 + n, util::ResourceType::RcData);
        expectTwice(450 + n, util::ResourceType::RcData);
    }
    for (int id : {135, 136, 600}) expectTwice(id, util::ResourceType::Bitmap);
    EXPECT_EQ(checked, 11 + 70 + 3);

    // The cabinet's mask at twice the size agrees with the original, pixel for pixel pair.
    PLAnyBmp mask, mask2;
    decoder.DecodeResource(230, mask);
    decoder.DecodeResource(230, mask2, 0, util::ResourceType::RcData, 2);
    int disagree = 0, solid = 0;
    for (int y = 0; y < 520; ++y) {
        for (int x = 0; x < 606; ++x) {
            const bool a = mask.GetLine(y)[x] > 127;
            solid += a;
            disagree += a != (mask2.GetLine(2 * y + 1)[2 * x + 1] > 127);
        }
    }
    EXPECT_GT(solid, 100000);
    EXPECT_LT(disagree, solid / 100) << "only along the edges";
}

TEST(SkinDecoding, AMissingTwiceAsBigPictureSaysWhichOne) {
    PLAnyPicDecoder decoder;
    PLAnyBmp bmp;
    try {
        decoder.DecodeResource(330, bmp, 0, util::ResourceType::RcData, 2);
        FAIL() << "the outline stays in layout pixels only";
    } catch (const PLTextException& e) {
        EXPECT_EQ(e.GetCode(), 4);
        EXPECT_NE(e.GetText().find("Opening resource 330@2x failed"), std::string::npos)
            << e.GetText();
    }
}
