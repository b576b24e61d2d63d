// Every picture, mask, bitmap and the outline compiled into the program: numbers, sizes,
// forms, and the geometry the radio window relies on.
//
// Pixels are read with QImage here (the radio's own decoder is exercised in
// SkinDecodingTest); the BMP headers are checked byte by byte, since that decoder accepts
// the masks only in their exact form.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRegion>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <vector>

#include "util/Resources.h"

namespace {

using util::FindResourceData;
using util::ResourceType;

std::uint32_t U32(std::span<const std::uint8_t> d, std::size_t at) {
    return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) |
           (static_cast<std::uint32_t>(d[at + 3]) << 24);
}
std::int32_t S32(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::int32_t>(U32(d, at));
}
std::uint16_t U16(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}

std::span<const std::uint8_t> Bytes(int id, ResourceType type = ResourceType::RcData) {
    const auto data = FindResourceData(id, type);
    if (!data)
        ADD_FAILURE() << "resource " << id << " is missing";
    return data ? *data : std::span<const std::uint8_t>{};
}

QImage Decode(std::span<const std::uint8_t> bytes) {
    return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
}

// The raw values of an 8-bit mask (palette indices, which are the opacity).
struct Mask {
    int width = 0, height = 0;
    std::vector<std::uint8_t> values;  // top line first
    int At(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
};

// Checks the exact mask form (40-byte header, 8 bits, uncompressed, 256 grey entries, pixels
// straight after the palette, bottom-up) and returns its values.
Mask ReadMask(int id, int width, int height) {
    SCOPED_TRACE("mask " + std::to_string(id));
    const auto d = Bytes(id);
    Mask mask;
    if (d.size() < 1078) {
        ADD_FAILURE() << "too short";
        return mask;
    }
    EXPECT_EQ(d[0], 'B');
    EXPECT_EQ(d[1], 'M');
    EXPECT_EQ(U32(d, 2), d.size());
    EXPECT_EQ(U32(d, 10), 1078u);
    EXPECT_EQ(U32(d, 14), 40u);
    EXPECT_EQ(S32(d, 18), width);
    EXPECT_EQ(S32(d, 22), height);  // positive: bottom line first
    EXPECT_EQ(U16(d, 26), 1);
    EXPECT_EQ(U16(d, 28), 8);
    EXPECT_EQ(U32(d, 30), 0u);
    EXPECT_TRUE(U32(d, 46) == 0 || U32(d, 46) == 256);
    int greyEntries = 0;
    for (int i = 0; i < 256; ++i) {
        const std::size_t at = 54 + 4 * static_cast<std::size_t>(i);
        greyEntries += d[at] == i && d[at + 1] == i && d[at + 2] == i ? 1 : 0;
    }
    EXPECT_EQ(greyEntries, 256) << "palette entry i is (i, i, i)";
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
    EXPECT_EQ(d.size(), 1078 + stride * height);
    if (d.size() < 1078 + stride * height)
        return mask;
    mask.width = width;
    mask.height = height;
    mask.values.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const std::size_t line = 1078 + stride * static_cast<std::size_t>(height - 1 - y);
        std::copy_n(d.begin() + static_cast<std::ptrdiff_t>(line), width,
                    mask.values.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    return mask;
}

// A colour JPEG of the given size.
QImage ReadJpeg(int id, int width, int height) {
    SCOPED_TRACE("picture " + std::to_string(id));
    const auto d = Bytes(id);
    EXPECT_GE(d.size(), 3u);
    if (d.size() < 3)
        return {};
    EXPECT_TRUE(d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) << "not a JPEG";
    QImage image = Decode(d);
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(width, height));
    EXPECT_NE(image.format(), QImage::Format_Grayscale8) << "a colour picture is expected";
    return image.convertToFormat(QImage::Format_RGB32);
}

struct PictureEntry {
    int id;
    int width, height;
    int maskId;  // 0: none
    int maskWidth, maskHeight;
};

const PictureEntry kPictures[] = {
    {130, 606, 520, 230, 606, 520}, {131, 328, 29, 231, 328, 29}, {132, 16, 9, 232, 16, 10},
    {133, 15, 15, 0, 0, 0},         {192, 184, 28, 193, 184, 28}, {118, 316, 316, 0, 0, 0},
    {500, 218, 216, 0, 0, 0},
};

TEST(SkinResources, EveryPictureAndMaskHasItsNumberSizeAndForm) {
    for (const PictureEntry& e : kPictures) {
        ReadJpeg(e.id, e.width, e.height);
        if (e.maskId != 0)
            ReadMask(e.maskId, e.maskWidth, e.maskHeight);
    }
    for (int n = 0; n < 35; ++n) {
        ReadJpeg(400 + n, 335, 228);
        ReadMask(450 + n, 335, 228);
    }
    EXPECT_FALSE(FindResourceData(435, ResourceType::RcData))
        << "there are 35 flap frames, no more";
    EXPECT_FALSE(FindResourceData(130, ResourceType::Bitmap))
        << "pictures are raw data, not bitmaps";
}

TEST(SkinResources, ReadingACopyGivesTheSameBytesAndRegisteredOnesFirst) {
    const auto copy = util::ReadResourceData(130, ResourceType::RcData);
    ASSERT_TRUE(copy);
    const auto kept = Bytes(130);
    EXPECT_TRUE(std::equal(copy->begin(), copy->end(), kept.begin(), kept.end()));
    EXPECT_FALSE(util::ReadResourceData(435, ResourceType::RcData));
    util::RegisterResource(91500, ResourceType::RcData, {1, 2, 3});
    const auto registered = util::ReadResourceData(91500, ResourceType::RcData);
    ASSERT_TRUE(registered);
    EXPECT_EQ(std::vector<std::uint8_t>(registered->begin(), registered->end()),
              (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(SkinResources, BackgroundMaskCoversExactlyTheCabinet) {
    const Mask mask = ReadMask(230, 606, 520);
    ASSERT_EQ(mask.values.size(), 606u * 520u);
    int left = 606, top = 520, right = -1, bottom = -1;
    for (int y = 0; y < 520; ++y) {
        for (int x = 0; x < 606; ++x) {
            if (mask.At(x, y) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    EXPECT_EQ(QRect(QPoint(left, top), QPoint(right, bottom)),
              QRect(QPoint(7, 125), QPoint(472, 504)));
    // Where the flap rises, above the cabinet, everything is see-through.
    for (int y = 0; y < 125; ++y) {
        for (int x = 0; x < 606; ++x) ASSERT_EQ(mask.At(x, y), 0) << x << "," << y;
    }
    // The controls sit on solid cabinet (so nothing drawn on them ever covers the flap).
    for (const QRect r :
         {QRect(82, 177, 318, 30), QRect(231, 221, 205, 203), QRect(88, 475, 326, 15),
          QRect(32, 354, 106, 117), QRect(427, 211, 15, 15)}) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x)
                ASSERT_EQ(mask.At(x, y), 255) << x << "," << y;
        }
    }
}

TEST(SkinResources, OutlineRegionIsTheMasksOpaquePixels) {
    const auto d = Bytes(330, ResourceType::Region);
    ASSERT_GE(d.size(), 32u);
    EXPECT_EQ(U32(d, 0), 32u);
    EXPECT_EQ(U32(d, 4), 1u);  // rectangles
    const std::uint32_t count = U32(d, 8);
    EXPECT_EQ(U32(d, 12), 16 * count);
    ASSERT_EQ(d.size(), 32 + 16 * static_cast<std::size_t>(count));
    EXPECT_EQ(QRect(QPoint(S32(d, 16), S32(d, 20)), QPoint(S32(d, 24) - 1, S32(d, 28) - 1)),
              QRect(QPoint(7, 125), QPoint(472, 504)));
    const auto asRcData = FindResourceData(330, ResourceType::RcData);
    ASSERT_TRUE(asRcData);
    EXPECT_TRUE(std::equal(d.begin(), d.end(), asRcData->begin(), asRcData->end()));

    std::vector<std::uint8_t> covered(606 * 520, 0);
    int previousTop = -1, previousLeft = -1;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = 32 + 16 * static_cast<std::size_t>(i);
        const int l = S32(d, at), t = S32(d, at + 4), r = S32(d, at + 8), b = S32(d, at + 12);
        ASSERT_TRUE(l >= 7 && t >= 125 && r <= 473 && b <= 505 && l < r && t < b)
            << "rectangle " << i;
        ASSERT_TRUE(t > previousTop || (t == previousTop && l > previousLeft))
            << "y-x band order at " << i;
        previousTop = t;
        previousLeft = l;
        for (int y = t; y < b; ++y) {
            for (int x = l; x < r; ++x)
                ASSERT_EQ(covered[y * 606 + x]++, 0) << "overlap at " << x << "," << y;
        }
    }
    const Mask mask = ReadMask(230, 606, 520);
    ASSERT_EQ(mask.values.size(), covered.size());
    for (int y = 0; y < 520; ++y) {
        for (int x = 0; x < 606; ++x) {
            ASSERT_EQ(covered[y * 606 + x] != 0, mask.At(x, y) > 127) << x << "," << y;
        }
    }
}

TEST(SkinResources, FlapSlidesOutSmoothlyFromClosedToOpen) {
    // Frame row 19 is window row 0; the cabinet starts at window row 125 (frame row 144).
    const int visibleRows = 144;
    std::vector<int> topEdge;
    for (int n = 0; n < 35; ++n) {
        const Mask mask = ReadMask(450 + n, 335, 228);
        ASSERT_EQ(mask.values.size(), 335u * 228u);
        int top = visibleRows;
        for (int y = 19; y < visibleRows && top == visibleRows; ++y) {
            for (int x = 0; x < 335; ++x) {
                if (mask.At(x, y) > 127) {
                    top = y;
                    break;
                }
            }
        }
        if (n == 0) {
            EXPECT_TRUE(std::all_of(mask.values.begin(), mask.values.end(), [](auto v) {
                return v == 0;
            })) << "the closed flap is fully transparent";
        }
        topEdge.push_back(top);
    }
    EXPECT_EQ(topEdge.front(), visibleRows);
    EXPECT_LT(topEdge.back(), 40) << "open, the flap stands well above the cabinet";
    int largestStep = 0;
    for (int n = 1; n < 35; ++n) {
        const int step = topEdge[n - 1] - topEdge[n];
        EXPECT_GE(step, 0) << "the flap never drops back while opening (frame " << n << ")";
        largestStep = std::max(largestStep, step);
    }
    EXPECT_LE(largestStep, 8) << "no jumps at 70 ms per frame";
    // Eased: it starts and stops gently.
    EXPECT_LE(topEdge[33] - topEdge[34], 2);
    EXPECT_GE(largestStep, 4);
}

TEST(SkinResources, PressedStripLinesUpWithTheButtons) {
    const QImage background = ReadJpeg(130, 606, 520);
    const QImage strip = ReadJpeg(131, 328, 29);
    ASSERT_FALSE(background.isNull() || strip.isNull());
    const auto meanDifference = [&](int stripX, int width) {
        double sum = 0;
        for (int y = 0; y < 29; ++y) {
            for (int x = stripX; x < stripX + width; ++x) {
                const QRgb a = strip.pixel(x, y), b = background.pixel(82 + x, 177 + y);
                sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                       std::abs(qBlue(a) - qBlue(b));
            }
        }
        return sum / (3.0 * 29 * width);
    };
    // Each button's source in the strip looks pressed compared with the background...
    const struct { int sourceX, width; } buttons[] = {{0, 63}, {64, 49}, {113, 52}, {262, 55}};
    for (const auto& b : buttons) EXPECT_GT(meanDifference(b.sourceX, b.width), 8.0) << b.sourceX;
    // ...while the volume track between them is the background itself.
    EXPECT_LT(meanDifference(170, 80), 4.0);
}

double Luminance(QRgb c) {
    const auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

TEST(SkinResources, StatusTextReadsWellOnTheStatusWindow) {
    const QImage background = ReadJpeg(130, 606, 520);
    ASSERT_FALSE(background.isNull());
    const double text = Luminance(qRgb(0x34, 0x32, 0x3D));
    // The middle of the window, where the text runs (the ends are smoked).
    double worst = 100;
    for (int y = 477; y < 489; ++y) {
        for (int x = 130; x < 372; ++x) {
            const double glass = Luminance(background.pixel(x, y));
            worst = std::min(worst, (glass + 0.05) / (text + 0.05));
        }
    }
    EXPECT_GE(worst, 4.5) << "contrast ratio of the status text on its glass";
}

TEST(SkinResources, DialShowsThirtyTwoSeparateSectors) {
    const QImage background = ReadJpeg(130, 606, 520);
    ASSERT_FALSE(background.isNull());
    const auto at = [&](double angle, double radius) {
        return background.pixel(static_cast<int>(std::lround(333 + radius * std::cos(angle))),
                                static_cast<int>(std::lround(322 + radius * std::sin(angle))));
    };
    for (int i = 1; i <= 32; ++i) {
        // The ring between the numbers and the rim, at the sector's middle and its two edges.
        const double middle = (i - 9) * std::numbers::pi / 16;
        const double edge = (i - 9.5) * std::numbers::pi / 16;
        const double lit = Luminance(at(middle + 0.06, 94));
        const double gap = Luminance(at(edge, 94));
        EXPECT_GT(lit, 2 * gap) << "sector " << i << " stands apart from its neighbour";
    }
}

TEST(SkinResources, MenuStripHasElevenCellsOnAnExactMagentaKey) {
    const auto d = Bytes(600, ResourceType::Bitmap);
    ASSERT_GE(d.size(), 54u);
    ASSERT_EQ(d[0], 'B');
    ASSERT_EQ(S32(d, 18), 176);
    ASSERT_EQ(S32(d, 22), 15);
    ASSERT_EQ(U16(d, 28), 24);
    ASSERT_EQ(U32(d, 30), 0u);
    const std::size_t offset = U32(d, 10);
    const std::size_t stride = (176 * 3 + 3) / 4 * 4;
    ASSERT_EQ(d.size(), offset + stride * 15);
    const auto isKey = [&](int x, int y) {
        const std::size_t at =
            offset + stride * static_cast<std::size_t>(14 - y) + 3 * static_cast<std::size_t>(x);
        return d[at] == 0xFF && d[at + 1] == 0x00 && d[at + 2] == 0xFF;  // blue, green, red
    };
    for (int cell = 0; cell < 11; ++cell) {
        int drawn = 0;
        for (int y = 0; y < 15; ++y) {
            for (int x = cell * 16; x < cell * 16 + 16; ++x) drawn += isKey(x, y) ? 0 : 1;
        }
        if (cell <= 4) {
            EXPECT_GT(drawn, 30) << "cell " << cell << " holds a picture";
            EXPECT_LT(drawn, 16 * 15) << "cell " << cell << " shows the key around its picture";
        } else {
            EXPECT_EQ(drawn, 0) << "free cell " << cell << " is all key";
        }
    }
}

TEST(SkinResources, CloseButtonBitmapsAndIcon) {
    const QImage normal = Decode(Bytes(136, ResourceType::Bitmap));
    const QImage hover = Decode(Bytes(135, ResourceType::Bitmap));
    ASSERT_FALSE(normal.isNull() || hover.isNull());
    EXPECT_EQ(normal.size(), hover.size());
    EXPECT_GE(normal.width(), 12);
    EXPECT_NE(normal, hover) << "hovering changes the look";

    const auto ico = Bytes(128, ResourceType::Icon);
    QByteArray bytes(reinterpret_cast<const char*>(ico.data()), static_cast<qsizetype>(ico.size()));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ico");
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    std::vector<int> sides;
    do {
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(image.width(), image.height());
        EXPECT_TRUE(image.hasAlphaChannel());
        sides.push_back(image.width());
    } while (reader.jumpToNextImage());
    EXPECT_NE(std::find(sides.begin(), sides.end(), 16), sides.end());
    EXPECT_NE(std::find(sides.begin(), sides.end(), 32), sides.end());
    EXPECT_NE(std::find(sides.begin(), sides.end(), 256), sides.end());
}

TEST(SkinResources, LampAndCoverMasksShapeTheirPictures) {
    // The lamp takes its mask from the background's: it must be opaque where the lamp is.
    const Mask background = ReadMask(230, 606, 520);
    ASSERT_FALSE(background.values.empty());
    for (int y = 211; y < 226; ++y) {
        for (int x = 427; x < 442; ++x) EXPECT_EQ(background.At(x, y), 255);
    }
    // The closed-flap cover changes the volume track only, never the Power button beside it.
    const Mask cover = ReadMask(193, 184, 28);
    ASSERT_FALSE(cover.values.empty());
    int overTrack = 0;
    for (int y = 0; y < 28; ++y) {
        for (int x = 0; x < 184; ++x) {
            const int windowX = 253 + x;
            if (windowX >= 344) {
                ASSERT_EQ(cover.At(x, y), 0) << "over the Power button at " << windowX;
            } else if (cover.At(x, y) == 255) {
                ++overTrack;
            }
        }
    }
    EXPECT_GT(overTrack, 200);
}

}  // namespace
