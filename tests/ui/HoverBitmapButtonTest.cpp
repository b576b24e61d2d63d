// The bitmap button: its four looks and when it switches between them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QEnterEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

#include "ui/HoverBitmapButton.h"
#include "util/Resources.h"

namespace {

constexpr int kGreen = 91360;
constexpr int kRed = 91350;

void RegisterBitmap(int id, QColor colour, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    util::RegisterResource(id, util::ResourceType::Bitmap,
                           std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

QColor Shown(ui::CHoverBitmapButton& button) {
    return QColor(button.grab().toImage().pixel(2, 2));
}

void Leave(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
}

class HoverBitmapButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterBitmap(kGreen, Qt::green, QSize(18, 18));
        RegisterBitmap(kRed, Qt::red, QSize(18, 18));
        ASSERT_TRUE(button_.LoadStateBitmaps(kGreen, kRed, kRed, kRed));
        button_.move(10, 10);
        parent_.resize(100, 100);
        parent_.show();
    }
    QWidget parent_;
    ui::CHoverBitmapButton button_{&parent_};
};

TEST_F(HoverBitmapButtonTest, TakesTheNormalBitmapsSizeOrFailsAndKeepsItsOwn) {
    EXPECT_EQ(button_.size(), QSize(18, 18));
    ui::CHoverBitmapButton other(&parent_);
    other.resize(40, 30);
    EXPECT_FALSE(other.LoadStateBitmaps(424242, kRed));
    EXPECT_FALSE(other.LoadStateBitmaps(kGreen, 424242));
    EXPECT_EQ(other.size(), QSize(40, 30));
}

TEST_F(HoverBitmapButtonTest, OverWhileTheMouseIsOnItNormalAfterItLeaves) {
    EXPECT_EQ(Shown(button_), QColor(Qt::green));
    QTest::mouseMove(&button_, QPoint(5, 5));
    EXPECT_EQ(button_.ButtonState(), ui::CHoverBitmapButton::kOver);
    EXPECT_EQ(Shown(button_), QColor(Qt::red));
    Leave(button_);
    EXPECT_EQ(button_.ButtonState(), ui::CHoverBitmapButton::kNormal);
    EXPECT_FALSE(button_.IsTracking());
    EXPECT_EQ(Shown(button_), QColor(Qt::green));
}

TEST_F(HoverBitmapButtonTest, ClickedLookStaysUntilTheMouseLeaves) {
    QSignalSpy clicked(&button_, &QAbstractButton::clicked);
    QTest::mouseMove(&button_, QPoint(5, 5));
    QTest::mouseClick(&button_, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(button_.ButtonState(), ui::CHoverBitmapButton::kClicked);
    QTest::mouseMove(&button_, QPoint(6, 6));
    EXPECT_EQ(button_.ButtonState(), ui::CHoverBitmapButton::kClicked);
    Leave(button_);
    EXPECT_EQ(button_.ButtonState(), ui::CHoverBitmapButton::kNormal);
    QTest::mouseMove(&button_, QPoint(7, 7));
    EXPECT_EQ(button_.ButtonState(), ui::CHoverBitmapButton::kOver);
}

int DarkestLightness(const QImage& image) {
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = std::min(darkest, QColor(image.pixel(x, y)).lightness());
    return darkest;
}

TEST_F(HoverBitmapButtonTest, DimmedCaptionIsEngravedInTheShadowColours) {
    ui::CHoverBitmapButton button(&parent_);
    RegisterBitmap(kGreen + 1, Qt::white, QSize(60, 20));
    ASSERT_TRUE(button.LoadStateBitmaps(kGreen + 1, ui::CHoverBitmapButton::kNone,
                                        ui::CHoverBitmapButton::kNone, kGreen + 1));
    button.setText("MMMM");
    const int normal = DarkestLightness(button.grab().toImage());
    button.SetButtonState(ui::CHoverBitmapButton::kDimmed);
    const int dimmed = DarkestLightness(button.grab().toImage());
    EXPECT_LT(normal, 100) << "the caption is drawn in the frame colour";
    EXPECT_LT(dimmed, 250) << "the caption is drawn";
    EXPECT_GT(dimmed, normal + 40) << "a dimmed caption is lighter";
}

}  // namespace
