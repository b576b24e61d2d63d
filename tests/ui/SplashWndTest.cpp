#include "ui/SplashWnd.h"

#include <gtest/gtest.h>
#include <QTest>

TEST(SplashWnd, ShowsOnceWhenEnabledTwoPixelsLargerThanItsPicture) {
    CSplashWnd::EnableSplashScreen(false);
    EXPECT_EQ(CSplashWnd::ShowSplashScreen(500, nullptr), nullptr);
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd* splash = CSplashWnd::ShowSplashScreen(500, nullptr);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->size(), QSize(218 + 2, 216 + 2));
    EXPECT_EQ(CSplashWnd::ShowSplashScreen(500, nullptr), nullptr);  // one at a time
    EXPECT_TRUE(QTest::qWaitFor([] { return CSplashWnd::Current() == nullptr; },
                                CSplashWnd::kShowMs + 2000));
    EXPECT_EQ(CSplashWnd::ShowSplashScreen(77777, nullptr), nullptr);  // no picture, no splash
    CSplashWnd::EnableSplashScreen(false);
}

// The radio is placed, then the picture is shown, then the radio: the picture goes where the
// radio will stand, and stays above a radio that stays on top.
TEST(SplashWnd, CentresOverThePlacedOwnerBeforeItIsShownAndStaysAboveIt) {
    QWidget owner(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    owner.setFixedSize(606, 520);
    owner.move(40, 30);
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd* splash = CSplashWnd::ShowSplashScreen(500, &owner);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->geometry().center(), owner.geometry().center());
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    splash->close();
    EXPECT_TRUE(QTest::qWaitFor([] { return CSplashWnd::Current() == nullptr; }, 2000));
    CSplashWnd::EnableSplashScreen(false);
}
