#include "platform/system/TerminationSignals.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>

#include <signal.h>

// One request arrives on the event loop, from whichever signal; the handlers go with the
// object. (A second request would end this test program, by design.)
TEST(TerminationSignals, ARequestArrivesOnTheEventLoopOnce) {
    {
        platform::TerminationSignals requests;
        ASSERT_TRUE(requests.Installed());
        QSignalSpy spy(&requests, &platform::TerminationSignals::terminationRequested);
        EXPECT_FALSE(requests.Requested());
        ASSERT_EQ(raise(SIGHUP), 0);  // handled: the test program lives on
        EXPECT_TRUE(spy.isEmpty());   // not inside the signal handler
        ASSERT_TRUE(spy.wait(2000));
        EXPECT_EQ(spy.count(), 1);
        EXPECT_EQ(spy.at(0).at(0).toInt(), SIGHUP);
        EXPECT_TRUE(requests.Requested());
        alarm(0);  // the give-up timer the request armed
    }
    struct sigaction after {};
    sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_DFL);
}
