#include "radio/BackgroundPatches.h"

#include <gtest/gtest.h>
#include <QPainter>

namespace {
// A background whose every pixel says where it is.
QImage Positions() {
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x, y, 7));
    return image;
}
}  // namespace

TEST(BackgroundPatches, RestoresKeptAreasAtTheirPlaceAndNothingElse) {
    const QImage background = Positions();
    radio::BackgroundPatches patches;
    patches.Keep(background, {QRect(10, 10, 20, 10), QRect(50, 40, 30, 30)});

    QImage target(64, 48, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::black);
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    EXPECT_TRUE(patches.Restore(painter, QRect(12, 11, 5, 4)));    // inside the first
    EXPECT_TRUE(patches.Restore(painter, QRect(55, 42, 9, 6)));    // the clipped second
    EXPECT_FALSE(patches.Restore(painter, QRect(25, 15, 10, 3)));  // runs out of the first
    EXPECT_FALSE(patches.Restore(painter, QRect(0, 0, 2, 2)));     // kept nowhere
    painter.end();

    EXPECT_EQ(target.pixel(12, 11), background.pixel(12, 11));
    EXPECT_EQ(target.pixel(16, 14), background.pixel(16, 14));
    EXPECT_EQ(target.pixel(63, 47), background.pixel(63, 47));
    EXPECT_EQ(target.pixel(17, 11), qRgb(0, 0, 0));  // just right of what was asked
    EXPECT_EQ(target.pixel(30, 15), qRgb(0, 0, 0));  // the refused request drew nothing
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 0));

    EXPECT_TRUE(patches.Covers(QRect(10, 10, 20, 10)));
    EXPECT_FALSE(patches.Covers(QRect(10, 10, 21, 10)));
    patches.Keep(background, {});
    EXPECT_TRUE(patches.Empty());
}
