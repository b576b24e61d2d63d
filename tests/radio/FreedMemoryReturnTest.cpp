#include "radio/FreedMemoryReturn.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QTest>

#include <chrono>

using namespace std::chrono_literals;
using radio::FreedMemoryReturn;

namespace {

// Waits (processing events) until `done` or five seconds have passed.
template <typename Done>
bool WaitFor(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) QTest::qWait(5);
    return done();
}

}  // namespace

TEST(FreedMemoryReturn, GivesBackOnlyWhilePlaying) {
    int givenBack = 0;
    FreedMemoryReturn memory([&givenBack] { ++givenBack; }, 1ms);
    QTest::qWait(20);
    EXPECT_EQ(givenBack, 0) << "a silent radio wakes up for nothing";

    memory.Follow(true);
    EXPECT_TRUE(memory.Running());
    ASSERT_TRUE(WaitFor([&] { return givenBack >= 3; })) << "again and again while it plays";
    memory.Follow(true);  // a later change while still playing keeps it running
    EXPECT_TRUE(memory.Running());

    memory.Follow(false);
    EXPECT_FALSE(memory.Running());
    const int stoppedAt = givenBack;
    QTest::qWait(20);
    EXPECT_EQ(givenBack, stoppedAt);
}
