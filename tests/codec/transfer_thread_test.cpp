// The transfer thread hands work between two threads many times a MiB: each
// task runs once, alone and in order, and what it wrote is seen by the
// caller once Wait has returned, with nothing but the thread's own lock and
// condition between them (ThreadSanitizer checks that on Linux).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "transfer_thread.h"

namespace morvane {
namespace {

TEST(TransferThreadTest, EachTaskRunsOnceAloneInOrderAndIsSeenAfterWait) {
    constexpr int kTasks = 20000;
    TransferThread thread;
    std::vector<int> order;  // written by the tasks only, read after Wait
    order.reserve(kTasks);
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < kTasks; ++i) {
        thread.Start([&, i] {
            if (running.fetch_add(1) != 0) overlapped = true;
            order.push_back(i);
            running.fetch_sub(1);
        });
        // Every few tasks the caller reads what the last one wrote.
        if (i % 7 == 0) {
            thread.Wait();
            ASSERT_EQ(order.size(), static_cast<std::size_t>(i) + 1);
            ASSERT_EQ(order.back(), i);
        }
    }
    thread.Wait();
    ASSERT_EQ(order.size(), static_cast<std::size_t>(kTasks));
    for (int i = 0; i < kTasks; ++i) ASSERT_EQ(order[i], i);
    EXPECT_FALSE(overlapped);
}

TEST(TransferThreadTest, StartAndStopWaitForTheTaskThatRuns) {
    TransferThread thread;
    int finished = 0;  // plain: only the waits order the two threads
    const auto slowTask = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ++finished;
    };
    thread.Start(slowTask);
    thread.Start([&] { EXPECT_EQ(finished, 1); });
    thread.Start(slowTask);
    thread.Stop();
    EXPECT_EQ(finished, 2);
}

// With no task yet there is no thread: Wait and Stop return at once (a hang
// fails by the test's timeout), and a wait before the first task does not
// keep that task from starting the thread.
TEST(TransferThreadTest, ThreadThatNeverRanStopsAtOnce) {
    TransferThread unused;
    unused.Wait();
    unused.Stop();
    TransferThread dropped;  // its destructor stops it

    TransferThread waitedFirst;
    waitedFirst.Wait();
    bool ran = false;  // plain: only the wait orders the two threads
    waitedFirst.Start([&] { ran = true; });
    waitedFirst.Wait();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace morvane
