// The popup menu: layout, hit test, latches, mnemonics, placement and closing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QFontMetrics>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "ui/SkinMenu.h"
#include "util/Resources.h"

namespace {

constexpr int kTestStrip = 96001;

// A strip of 11 magenta cells where cell 2 holds a red square with a magenta border.
void RegisterTestStrip() {
    QImage strip(176, 15, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    for (int y = 3; y < 12; ++y)
        for (int x = 2 * 16 + 3; x < 2 * 16 + 13; ++x) strip.setPixel(x, y, qRgb(255, 0, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    strip.save(&buffer, "BMP");
    util::RegisterResource(kTestStrip, util::ResourceType::Bitmap,
                           std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

class SkinMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner_.resize(200, 200);
        owner_.show();
        menu_.Init(-1);
    }
    void TearDown() override {
        menu_.Close();
        Settle();
    }
    static void Settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    // Rows: 0 "&Open" (11), 1 separator, 2 "&Quit" (12), 3 inert "Title" (13).
    void AddRows() {
        menu_.AddItem(0, "&Open", 11, -1);
        menu_.AddSeparator();
        menu_.AddItem(0, "&Quit", 12, -1);
        menu_.AddItem(ui::MIF_INERT, "Title", 13, -1);
    }
    QWidget* Open(QPoint at = QPoint(100, 100)) {
        menu_.TrackPopup(at, &owner_);
        return menu_.Window();
    }
    static QPoint InRow(const ui::MenuItem& item) { return QPoint(30, item.top + item.height / 2); }

    QWidget owner_;
    ui::CSkinMenu menu_;
};

TEST_F(SkinMenuTest, LaysOutRowsSeparatorsAndWidthFromTheWidestLabel) {
    AddRows();
    menu_.AddItem(0, "A much &longer label", 14, -1);
    QWidget* window = Open();
    ASSERT_NE(window, nullptr);
    const auto& items = menu_.Items();
    EXPECT_EQ(items[0].top, 3);
    EXPECT_EQ(items[0].height, 17);
    EXPECT_EQ(items[1].top, 20);
    EXPECT_EQ(items[1].height, 5);
    EXPECT_EQ(items[2].top, 25);
    EXPECT_EQ(items[4].top, 59);
    EXPECT_EQ(menu_.MenuHeight(), 3 + 4 * 17 + 5 + 2);
    const QFontMetrics metrics(QApplication::font());
    const int widest = metrics.size(Qt::TextShowMnemonic, "A much &longer label").width();
    EXPECT_GT(widest, metrics.horizontalAdvance("Quit"));
    EXPECT_EQ(menu_.MenuWidth(), widest + 42);
    EXPECT_EQ(window->size(), QSize(menu_.MenuWidth(), menu_.MenuHeight()));
    EXPECT_EQ(window->pos(), QPoint(100, 100));
}

TEST_F(SkinMenuTest, HitTestExcludesTheBorderAndTheFirstPixelRowOfEachRow) {
    AddRows();
    Open();
    EXPECT_EQ(menu_.HitTest({10, 3}), -1);  // first pixel row of row 0
    EXPECT_EQ(menu_.HitTest({10, 4}), 0);
    EXPECT_EQ(menu_.HitTest({2, 10}), -1);  // left border
    EXPECT_EQ(menu_.HitTest({3, 10}), 0);
    EXPECT_EQ(menu_.HitTest({10, 2}), -1);   // top border
    EXPECT_EQ(menu_.HitTest({10, 20}), -1);  // first pixel row of the separator
    EXPECT_EQ(menu_.HitTest({10, 21}), 1);   // separators can be hovered
    EXPECT_EQ(menu_.HitTest({10, 50}), -1);  // inert row
    EXPECT_EQ(menu_.HitTest({menu_.MenuWidth() + 1, 10}), -1);
    EXPECT_EQ(menu_.HitTest({10, menu_.MenuHeight() + 1}), -1);
}

TEST_F(SkinMenuTest, ReleaseOfTheOpeningButtonChoosesNothingButTheNextClickDoes) {
    AddRows();
    QSignalSpy chosen(&menu_, &ui::CSkinMenu::commandChosen);
    QTest::mousePress(&owner_, Qt::RightButton, {}, QPoint(50, 50));
    ASSERT_TRUE(QGuiApplication::mouseButtons().testFlag(Qt::RightButton));
    QWidget* window = Open();
    const QPoint quit = InRow(menu_.Items()[2]);
    QTest::mouseMove(window, quit);
    QTest::mouseRelease(window, Qt::RightButton, {}, quit);
    Settle();
    EXPECT_TRUE(menu_.IsOpen());
    EXPECT_EQ(chosen.count(), 0);

    QTest::mouseClick(window, Qt::LeftButton, {}, quit);
    EXPECT_FALSE(menu_.IsOpen());
    EXPECT_EQ(chosen.count(), 0) << "the command is posted, not called";
    Settle();
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 12);
}

TEST_F(SkinMenuTest, PressOnTheBorderOrOutsideClosesWithoutCommand) {
    AddRows();
    QSignalSpy chosen(&menu_, &ui::CSkinMenu::commandChosen);
    QWidget* window = Open();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(1, 10));
    Settle();
    EXPECT_FALSE(menu_.IsOpen());

    window = Open();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(-40, 300));
    Settle();
    EXPECT_FALSE(menu_.IsOpen());
    EXPECT_EQ(chosen.count(), 0);
}

TEST_F(SkinMenuTest, HoveredSeparatorShowsNoBarAndChoosesNothing) {
    RegisterTestStrip();
    menu_.Init(kTestStrip);
    AddRows();
    QSignalSpy chosen(&menu_, &ui::CSkinMenu::commandChosen);
    QWidget* window = Open();
    const QColor background = window->palette().color(QPalette::Window);
    const QColor highlight = window->palette().color(QPalette::Highlight);
    const ui::MenuItem separator = menu_.Items()[1];
    QTest::mouseMove(window, QPoint(30, separator.top + 3));
    EXPECT_EQ(menu_.HoveredRow(), 1);
    QImage shot = window->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(30, separator.top + 3)), background);
    EXPECT_EQ(QColor(shot.pixel(30, separator.top + 4)), background);
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(30, separator.top + 3));
    Settle();
    EXPECT_TRUE(menu_.IsOpen());
    EXPECT_EQ(chosen.count(), 0);

    // A real row gets the highlight bar.
    const ui::MenuItem quit = menu_.Items()[2];
    QTest::mouseMove(window, InRow(quit));
    shot = window->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(menu_.MenuWidth() - 5, quit.top + 8)), highlight);
}

TEST_F(SkinMenuTest, PicturesAreDrawnWithTheMagentaKeyTransparent) {
    RegisterTestStrip();
    menu_.Init(kTestStrip);
    menu_.AddItem(0, "&Web", 1, 2);
    menu_.AddItem(0, "&None", 2, 9);
    QWidget* window = Open();
    ASSERT_TRUE(menu_.HasStrip());
    const QImage shot = window->grab().toImage();
    const int t = menu_.Items()[0].top;
    EXPECT_EQ(QColor(shot.pixel(4 + 5, t + 1 + 5)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(4 + 0, t + 1 + 0)), window->palette().color(QPalette::Window));

    menu_.Init(424242);  // no such picture: rows simply show none
    EXPECT_FALSE(menu_.HasStrip());
}

TEST_F(SkinMenuTest, MnemonicChoosesTheFirstMatchingRow) {
    menu_.AddItem(0, "Beta&", 1, -1);  // ends in "&": no mnemonic
    menu_.AddItem(ui::MIF_GRAYED, "&Bad", 2, -1);
    menu_.AddItem(0, "&bravo", 3, -1);
    menu_.AddItem(0, "&Bingo", 4, -1);
    QSignalSpy chosen(&menu_, &ui::CSkinMenu::commandChosen);
    QWidget* window = Open();
    QTest::keyClick(window, Qt::Key_X, {});
    EXPECT_TRUE(menu_.IsOpen());
    QTest::keyClick(window, Qt::Key_B, Qt::ShiftModifier);
    Settle();
    EXPECT_FALSE(menu_.IsOpen());
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 3);
}

TEST_F(SkinMenuTest, ClosedByTheDesktopCountsAsClosedWithoutCommand) {
    AddRows();
    QSignalSpy chosen(&menu_, &ui::CSkinMenu::commandChosen);
    QPointer<QWidget> window = Open();
    window->close();  // as when another application becomes active
    EXPECT_FALSE(menu_.IsOpen());
    Settle();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "the hidden window is not left behind";
    EXPECT_EQ(chosen.count(), 0);
    EXPECT_NE(Open(), nullptr) << "and the menu opens again";
}

TEST_F(SkinMenuTest, EscapeClosesWithoutCommand) {
    AddRows();
    QSignalSpy chosen(&menu_, &ui::CSkinMenu::commandChosen);
    QTest::keyClick(Open(), Qt::Key_Escape);
    Settle();
    EXPECT_FALSE(menu_.IsOpen());
    EXPECT_EQ(chosen.count(), 0);
}

TEST_F(SkinMenuTest, InitWhileOpenClosesWithoutCommand) {
    AddRows();
    QSignalSpy chosen(&menu_, &ui::CSkinMenu::commandChosen);
    QWidget* window = Open();
    QTest::mouseMove(window, InRow(menu_.Items()[0]));
    EXPECT_TRUE(menu_.Init(-1));
    Settle();
    EXPECT_FALSE(menu_.IsOpen());
    EXPECT_EQ(menu_.Window(), nullptr);
    EXPECT_TRUE(menu_.Items().empty());
    EXPECT_EQ(chosen.count(), 0);
}

TEST_F(SkinMenuTest, NestedTrackingReturnsTheCommandInsteadOfPostingIt) {
    AddRows();
    QSignalSpy chosen(&menu_, &ui::CSkinMenu::commandChosen);
    QTimer::singleShot(0, [this] {
        QTest::mouseClick(menu_.Window(), Qt::LeftButton, {}, InRow(menu_.Items()[0]));
    });
    EXPECT_EQ(menu_.TrackPopup(QPoint(10, 10), &owner_, true), 11);
    Settle();
    EXPECT_EQ(chosen.count(), 0);
}

TEST(SkinMenuPlacement, PushedIntoTheWorkAreaButNeverNegative) {
    const std::vector<QRect> one{QRect(0, 0, 1920, 1080)};
    const QRect work(0, 0, 1920, 1040);
    EXPECT_EQ(ui::CSkinMenu::PlaceRect(QRect(1900, 1030, 100, 200), one, 0, work),
              QRect(1820, 840, 100, 200));
    EXPECT_EQ(ui::CSkinMenu::PlaceRect(QRect(500, 300, 100, 200), one, 0, work),
              QRect(500, 300, 100, 200));
    EXPECT_EQ(ui::CSkinMenu::PlaceRect(QRect(40, 40, 3000, 2000), one, 0, work),
              QRect(0, 0, 3000, 2000));
}

TEST(SkinMenuPlacement, OnASecondaryMonitorPushedIntoThatMonitor) {
    const std::vector<QRect> two{QRect(0, 0, 1920, 1080), QRect(-1280, 0, 1280, 1024)};
    const QRect work(0, 0, 1920, 1040);
    EXPECT_EQ(ui::CSkinMenu::PlaceRect(QRect(-50, 1000, 100, 200), two, 0, work),
              QRect(-100, 824, 100, 200));
    // On the primary one the work area rule applies.
    EXPECT_EQ(ui::CSkinMenu::PlaceRect(QRect(1900, 10, 100, 200), two, 0, work),
              QRect(1820, 10, 100, 200));
}

TEST_F(SkinMenuTest, OpenedAtTheBottomRightCornerStaysOnScreen) {
    AddRows();
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget* window = Open(work.bottomRight() - QPoint(5, 5));
    const QRect placed = window->geometry();
    EXPECT_TRUE(work.contains(placed)) << placed.x() << "," << placed.y();
    EXPECT_GE(placed.x(), 0);
    EXPECT_GE(placed.y(), 0);
}

}  // namespace
