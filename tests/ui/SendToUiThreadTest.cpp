#include "ui/SendToUiThread.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Runs Send on a worker thread and reports its answer.
std::future<bool> SendFromWorker(ui::UiCallGate& gate, std::function<void()> call) {
    return std::async(std::launch::async,
                      [&gate, call = std::move(call)]() mutable { return gate.Send(call); });
}

bool Finished(std::future<bool>& answer, std::chrono::milliseconds wait = 0ms) {
    return answer.wait_for(wait) == std::future_status::ready;
}

}  // namespace

TEST(UiCallGateTest, AWorkerWaitsUntilTheUiThreadHasRunTheCall) {
    ui::UiCallGate gate;
    std::thread::id ranOn;
    int value = 0;
    auto answer = SendFromWorker(gate, [&] {
        ranOn = std::this_thread::get_id();
        value = 42;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(Finished(answer));  // nothing runs without the UI thread's event loop

    EXPECT_TRUE(QTest::qWaitFor([&] { return Finished(answer); }, 5000));
    EXPECT_TRUE(answer.get());
    EXPECT_EQ(value, 42);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(UiCallGateTest, ASendFromTheUiThreadRunsDirectly) {
    ui::UiCallGate gate;
    int value = 0;
    EXPECT_TRUE(gate.Send([&] { value = 7; }));
    EXPECT_EQ(value, 7);

    gate.Close();
    EXPECT_TRUE(gate.IsClosed());
    EXPECT_FALSE(gate.Send([&] { value = 8; }));
    EXPECT_EQ(value, 7);
}

TEST(UiCallGateTest, ClosingReleasesAWaitingWorkerAndTheCallNeverRuns) {
    ui::UiCallGate gate;
    std::atomic<bool> ran{false};
    auto first = SendFromWorker(gate, [&] { ran = true; });
    auto second = SendFromWorker(gate, [&] { ran = true; });
    std::this_thread::sleep_for(50ms);
    ASSERT_FALSE(Finished(first));

    gate.Close();
    EXPECT_TRUE(Finished(first, 1s));
    EXPECT_TRUE(Finished(second, 1s));
    EXPECT_FALSE(first.get());
    EXPECT_FALSE(second.get());
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);

    auto late = SendFromWorker(gate, [&] { ran = true; });
    EXPECT_TRUE(Finished(late, 1s));
    EXPECT_FALSE(late.get());
    EXPECT_FALSE(ran);
}

TEST(UiCallGateTest, DestroyingTheGateReleasesTheWorkerAndDropsItsQueuedCall) {
    auto gate = std::make_unique<ui::UiCallGate>();
    std::atomic<bool> ran{false};
    auto answer = SendFromWorker(*gate, [&] { ran = true; });
    std::this_thread::sleep_for(50ms);
    gate.reset();
    EXPECT_TRUE(Finished(answer, 1s));
    EXPECT_FALSE(answer.get());
    QCoreApplication::processEvents();  // the queued invocation died with the gate
    EXPECT_FALSE(ran);
}

TEST(UiCallGateTest, ACallThatClosesTheGateStillFinishesAndReportsSuccess) {
    ui::UiCallGate gate;
    auto answer = SendFromWorker(gate, [&] { gate.Close(); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return Finished(answer); }, 5000));
    EXPECT_TRUE(answer.get());
    EXPECT_TRUE(gate.IsClosed());
}
