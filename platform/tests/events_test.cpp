#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/ManualResetEvent.h"
#include "platform/MessageTarget.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// Generous: only a broken event makes a wait run out.
constexpr auto kPatience = 30s;

TEST(ManualResetEventTest, StaysSignalledForEveryWaiterUntilReset) {
    ManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    std::vector<std::thread> waiters;
    std::vector<int> woke(3, 0);
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&, i] { woke[i] = event.WaitFor(kPatience) ? 1 : 0; });
    }
    event.Set();
    for (std::thread& waiter : waiters) {
        waiter.join();
    }
    EXPECT_EQ(woke, (std::vector<int>{1, 1, 1}));
    EXPECT_TRUE(event.IsSet());  // a manual-reset event is not consumed by waiting
    event.Reset();
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.WaitFor(0ms));
}

TEST(ManualResetEventTest, HandshakeBetweenTwoThreads) {
    // The job protocol's start handshake: the job sets, the dialog resets, the
    // job waits for the reset.
    ManualResetEvent started;
    bool jobSawReset = false;
    std::thread job([&] {
        started.Set();
        jobSawReset = started.WaitForReset(kPatience);
    });
    ASSERT_TRUE(started.WaitFor(kPatience));
    started.Reset();
    job.join();
    EXPECT_TRUE(jobSawReset);
}

TEST(MessageQueueTest, KeepsEachPostersOrderAcrossThreads) {
    constexpr int kPerThread = 2000;
    MessageQueue queue;
    std::vector<std::thread> posters;
    for (uint32_t id : {1271u, 1275u}) {
        posters.emplace_back([&queue, id] {
            for (int i = 0; i < kPerThread; ++i) {
                queue.Post(id, static_cast<uintptr_t>(i), -i);
            }
        });
    }
    std::vector<int> next(2, 0);
    for (int taken = 0; taken < 2 * kPerThread; ++taken) {
        const auto message = queue.Take(kPatience);
        ASSERT_TRUE(message);
        const int poster = message->id == 1271 ? 0 : 1;
        ASSERT_EQ(message->wParam, static_cast<uintptr_t>(next[poster]));
        ASSERT_EQ(message->lParam, -next[poster]);
        ++next[poster];
    }
    for (std::thread& poster : posters) {
        poster.join();
    }
    EXPECT_FALSE(queue.TryTake());
    EXPECT_EQ(queue.Size(), 0u);
}

}  // namespace
}  // namespace platform
