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
