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

// The radio is placed, then the picture is shown, then the radio: the picture goes where the
// radio will stand, and stays above a radio that stays on top.
TEST(SplashWnd, CentresOverThePlacedOwnerBeforeItIsShownAndStaysAboveIt) {
    QWidget owner(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    owner.setFixedSize(606, 520);
    owner.move(40, 30);
    ui::CSplashWnd::EnableSplashScreen(true);
    ui::CSplashWnd* splash = ui::CSplashWnd::ShowSplashScreen(500, &owner);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->geometry().center(), owner.geometry().center());
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    splash->close();
    EXPECT_TRUE(QTest::qWaitFor([] { return ui::CSplashWnd::Current() == nullptr; }, 2000));
    ui::CSplashWnd::EnableSplashScreen(false);
}
