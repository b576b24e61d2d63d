#include "platform/shell/OpenUrl.h"
#include "tests/support/FakeOpener.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFile>

#include <chrono>
#include <thread>

using platform::shell::OpenResult;
using platform::shell::OpenUrlAndWait;
using testsupport::FakeOpener;

namespace {
constexpr std::chrono::milliseconds kShortGrace{300};
}

TEST(OpenUrlAndWait, TheOpenersExitStatusDecides) {
    struct Case {
        const char* body;
        OpenResult expected;
    };
    for (const Case& c :
         {Case{"exit 0", OpenResult::Opened},
          Case{"exit 3", OpenResult::NoHandler},  // no method to open it
          Case{"exit 4", OpenResult::NoHandler}, Case{"exit 2", OpenResult::NotFound},
          Case{"exit 5", OpenResult::AccessDenied}, Case{"kill -9 $$", OpenResult::NoHandler}}) {
        FakeOpener opener(c.body);
        ASSERT_TRUE(opener.Ready());
        EXPECT_EQ(OpenUrlAndWait("https://www.example.org/", {}, std::chrono::seconds(10)),
                  c.expected)
            << c.body;
    }
}

TEST(OpenUrlAndWait, NoOpenerAtAllMeansNoHandler) {
    FakeOpener opener("");
    ASSERT_TRUE(opener.Ready());
    EXPECT_EQ(OpenUrlAndWait("https://www.example.org/"), OpenResult::NoHandler);
}

TEST(OpenUrlAndWait, AnOpenerThatKeepsRunningHasOpenedAndIsLeftAlone) {
    FakeOpener opener("/bin/sleep 1.5; echo done > \"$MARK\"");
    ASSERT_TRUE(opener.Ready());
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(OpenUrlAndWait("https://www.example.org/", {}, kShortGrace), OpenResult::Opened);
    EXPECT_LT(timer.elapsed(), 1400);
    // Not killed: the browser it runs in its foreground stays open.
    for (int i = 0; i < 100 && !QFile::exists(QString::fromStdString(opener.MarkFile())); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(opener.MarkFile())));
}

TEST(OpenUrlAndWait, ArgumentReachesTheOpenerAsOneWordAndBadAddressesNever) {
    FakeOpener opener("printf '%s|%s' \"$#\" \"$1\" > \"$MARK\"");
    ASSERT_TRUE(opener.Ready());
    EXPECT_EQ(OpenUrlAndWait("https://x.example/a;b$(id)'\"`"), OpenResult::Opened);
    QFile mark(QString::fromStdString(opener.MarkFile()));
    ASSERT_TRUE(mark.open(QIODevice::ReadOnly));
    EXPECT_EQ(mark.readAll().toStdString(), "1|https://x.example/a;b$(id)'\"`");
    mark.remove();
    EXPECT_EQ(OpenUrlAndWait("file:///etc/passwd"), OpenResult::Refused);
    EXPECT_EQ(OpenUrlAndWait("-e https://x/"), OpenResult::Refused);
    EXPECT_FALSE(mark.exists());
}
