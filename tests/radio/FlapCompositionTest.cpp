#include "radio/FlapComposition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kBody = 50;

// The rule written out per channel, byte by byte, as a second opinion on the word and vector
// arithmetic.
std::uint32_t Expected(std::uint32_t framePixel, std::uint8_t body, std::uint32_t under) {
    if (body > kBody)
        return under;
    const int blue = framePixel & 0xFF, green = (framePixel >> 8) & 0xFF,
              red = (framePixel >> 16) & 0xFF, a = framePixel >> 24;
    const int alpha = a != 0 ? std::max<int>(a, body) : body;
    return (std::uint32_t(alpha) << 24) | (std::uint32_t(red * a / 256) << 16) |
           (std::uint32_t(green * a / 256) << 8) | std::uint32_t(blue * a / 256);
}

struct Row {
    std::vector<std::uint32_t> frame;
    std::vector<std::uint8_t> body;
    std::vector<std::uint32_t> under;
};

void ExpectComposedAsTheRuleSays(const Row& row) {
    std::vector<std::uint32_t> out = row.under;
    radio::ComposeFlapRow(row.frame.data(), row.body.data(), out.data(),
                          static_cast<int>(out.size()), kBody);
    for (std::size_t x = 0; x < out.size(); ++x) {
        ASSERT_EQ(out[x], Expected(row.frame[x], row.body[x], row.under[x]))
            << "pixel " << x << " of " << out.size() << ", frame " << std::hex << row.frame[x]
            << ", body " << std::dec << int(row.body[x]);
    }
}

TEST(FlapComposition, EveryPixelFollowsTheRuleWhateverTheRowsLength) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::uint32_t> word;
    // Cabinet values cluster around the threshold, where the choice flips.
    std::uniform_int_distribution<int> body(0, 255), nearThreshold(kBody - 2, kBody + 2);
    for (int width = 0; width <= 41; ++width) {
        Row row;
        for (int x = 0; x < width; ++x) {
            row.frame.push_back(word(random));
            row.body.push_back(
                static_cast<std::uint8_t>(x % 3 ? body(random) : nearThreshold(random)));
            row.under.push_back(word(random));
        }
        ExpectComposedAsTheRuleSays(row);
    }
}

TEST(FlapComposition, ExtremeAlphasAndColours) {
    Row row;
    for (std::uint32_t a : {0u, 1u, 127u, 128u, 254u, 255u}) {
        for (std::uint32_t colour : {0x000000u, 0xFFFFFFu, 0x80FF01u, 0x01FE7Fu}) {
            for (std::uint8_t body : {0, 1, 49, 50, 51, 200, 255}) {
                row.frame.push_back(a << 24 | colour);
                row.body.push_back(body);
                row.under.push_back(0xDEADBEEFu);
            }
        }
    }
    ExpectComposedAsTheRuleSays(row);
}

TEST(FlapComposition, TouchesNothingBeyondTheRow) {
    Row row;
    row.frame.assign(13, 0xFF102030u);
    row.body.assign(13, 0);
    row.under.assign(16, 0x11111111u);
    std::vector<std::uint32_t> out = row.under;
    radio::ComposeFlapRow(row.frame.data(), row.body.data(), out.data(), 13, kBody);
    for (int x = 13; x < 16; ++x) EXPECT_EQ(out[x], 0x11111111u) << x;
    EXPECT_EQ(out[12], Expected(0xFF102030u, 0, 0));
}

TEST(FlapComposition, AMaskRowIsClearOnlyWhenAllZero) {
    std::vector<std::uint8_t> row(37, 0);
    EXPECT_TRUE(radio::MaskRowIsClear(row.data(), static_cast<int>(row.size())));
    EXPECT_TRUE(radio::MaskRowIsClear(row.data(), 0));
    row[36] = 1;
    EXPECT_FALSE(radio::MaskRowIsClear(row.data(), static_cast<int>(row.size())));
    EXPECT_TRUE(radio::MaskRowIsClear(row.data(), 36));  // the last byte is beyond the row
}

}  // namespace
