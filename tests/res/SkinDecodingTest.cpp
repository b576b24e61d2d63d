// The radio's own picture decoder reads every skin resource at its natural depth: colour
// JPEGs at 32 bits per pixel, masks at 8, and the masks give their pictures the right shape.

#include <gtest/gtest.h>

#include <string>

#include "picture/PLAnyBmp.h"
#include "picture/PLAnyPicDecoder.h"
#include "picture/PLTextException.h"

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
    background.SetAlphaFromMask(mask);
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
