#include "ui/LayeredWindow.h"
#include "ui/OpaqueShape.h"
#include "ui/WindowShape.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <random>

namespace {
// The same pixels, however the two regions are cut into rectangles.
bool SamePixels(const QRegion& a, const QRegion& b) {
    return a.xored(b).isEmpty();
}

QImage Picture(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Fill(QImage& image, const QRect& rect, int alpha) {
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect, QColor(0, 0, 0, alpha));
}
}  // namespace

// Alpha above one half is inside; the rest, however nearly opaque, lets the pointer through.
TEST(OpaqueShapeTest, PixelsAboveHalfAlphaMakeTheShape) {
    QImage image = Picture(40, 30);
    Fill(image, QRect(2, 3, 10, 5), 128);
    Fill(image, QRect(20, 3, 10, 5), 127);
    Fill(image, QRect(5, 20, 30, 4), 255);
    ui::OpaqueShape shape;
    EXPECT_TRUE(shape.Update(image));
    EXPECT_TRUE(SamePixels(shape.Region(), QRegion(2, 3, 10, 5) + QRegion(5, 20, 30, 4)));
    // Same-looking rows are merged into bands, yet the region is the same set of pixels.
    EXPECT_EQ(shape.Region().rectCount(), 2);
}

// A shape kept up to date band by band ends as the shape read whole, and says when it moved.
TEST(OpaqueShapeTest, BandUpdatesFollowEveryChangeAndOnlyReportRealOnes) {
    std::mt19937 random(15);
    QImage image = Picture(120, 90);
    ui::OpaqueShape shape;
    shape.Update(image);
    EXPECT_TRUE(shape.Region().isEmpty());
    for (int round = 0; round < 200; ++round) {
        const QRect rect(int(random() % 110), int(random() % 80), 1 + int(random() % 30),
                         1 + int(random() % 20));
        const int alpha = int(random() % 256);
        const QRegion before = shape.Region();
        Fill(image, rect, alpha);
        const bool changed = shape.Update(image, rect.top(), rect.bottom() + 1);
        ASSERT_TRUE(SamePixels(shape.Region(), ui::RegionFromAlpha(image, 127)))
            << "round " << round;
        ASSERT_EQ(changed, !SamePixels(shape.Region(), before)) << "round " << round;
    }
    // Rows outside the band are not read: the caller names the rows it drew on.
    Fill(image, QRect(0, 0, 120, 10), 255);
    EXPECT_FALSE(shape.Update(image, 50, 60));
    EXPECT_TRUE(shape.Update(image, 0, 10));
    EXPECT_TRUE(SamePixels(shape.Region(), ui::RegionFromAlpha(image, 127)));
}

TEST(OpaqueShapeTest, AnotherSizeIsReadWholeAndResetForgets) {
    ui::OpaqueShape shape;
    QImage small = Picture(10, 10);
    Fill(small, QRect(0, 0, 10, 10), 255);
    EXPECT_TRUE(shape.Update(small, 0, 0));  // no rows named, yet a new picture is read whole
    EXPECT_TRUE(SamePixels(shape.Region(), QRegion(0, 0, 10, 10)));
    shape.Reset();
    EXPECT_TRUE(shape.Empty());
    EXPECT_TRUE(shape.Region().isEmpty());
    QImage other = Picture(10, 12);
    EXPECT_TRUE(shape.Update(other, 5, 6));
    EXPECT_TRUE(shape.Region().isEmpty());
    EXPECT_FALSE(shape.Update(QImage(4, 4, QImage::Format_Indexed8)));  // not a 32-bit picture
}

// The stored outline goes to the window; each failing step is named to the caller, who
// decides how to tell the user.
TEST(WindowShape, StoredOutlineShapesTheWindowOrNamesTheStepThatFailed) {
    constexpr int kRadioOutline = 330;
    QWidget window;
    const auto outline = ui::SetWindowRegionFromResource(kRadioOutline, &window);
    ASSERT_TRUE(outline);
    EXPECT_FALSE(outline->isEmpty());
    EXPECT_EQ(window.mask(), *outline);
    EXPECT_EQ(ui::SetWindowRegionFromResource(77777, &window).error().message,
              "failed to find region");
    EXPECT_EQ(ui::SetWindowRegionFromResource(kRadioOutline, nullptr).error().message,
              "failed to set the region for that window");
}
