#include "ui/SplashWnd.h"

#include <gtest/gtest.h>
#include <QTest>

TEST(SplashWnd, ShowsOnceWhenEnabledTwoPixelsLargerThanItsPicture) {
    ui::CSplashWnd::EnableSplashScreen(false);
    EXPECT_EQ(ui::CSplashWnd::ShowSplashScreen(500, nullptr), nullptr);
    ui::CSplashWnd::EnableSplashScreen(true);
    ui::CSplashWnd* splash = ui::CSplashWnd::ShowSplashScreen(500, nullptr);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->size(), QSize(218 + 2, 216 + 2));
    EXPECT_EQ(ui::CSplashWnd::ShowSplashScreen(500, nullptr), nullptr);  // one at a time
    EXPECT_TRUE(QTest::qWaitFor([] { return ui::CSplashWnd::Current() == nullptr; },
                                ui::CSplashWnd::kShowMs + 2000));
    EXPECT_EQ(ui::CSplashWnd::ShowSplashScreen(77777, nullptr), nullptr);  // no picture, no splash
    ui::CSplashWnd::EnableSplashScreen(false);
}

// The radio is placed, then the picture is asked for, then the radio is shown: the picture goes
// where the radio will stand, stays above a radio that stays on top, and comes on the screen
// only after the radio, so that a window manager knows whose picture it is.
TEST(SplashWnd, CentresOverThePlacedOwnerAndShowsOnceTheOwnerHasBeenPainted) {
    QWidget owner(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    owner.setFixedSize(606, 520);
    owner.move(40, 30);
    ui::CSplashWnd::EnableSplashScreen(true);
    ui::CSplashWnd* splash = ui::CSplashWnd::ShowSplashScreen(500, &owner);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->geometry().center(), owner.geometry().center());
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTest::qWait(100);
    EXPECT_FALSE(splash->isVisible()) << "shown before the radio";
    owner.show();
    EXPECT_TRUE(QTest::qWaitFor([splash] { return splash->isVisible(); }, 2000));
    EXPECT_EQ(splash->geometry().center(), owner.geometry().center());
    splash->close();
    EXPECT_TRUE(QTest::qWaitFor([] { return ui::CSplashWnd::Current() == nullptr; }, 2000));
    ui::CSplashWnd::EnableSplashScreen(false);
}
