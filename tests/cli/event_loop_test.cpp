#include "cli/event_loop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace flash410::cli {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;

// Work that posts itself again each time it runs, as a port whose replies never stop coming.
struct EndlessWork {
    EventLoop& loop;
    serial::PostToUiThread post = loop.Poster();
    int runs = 0;

    void Start() {
        post([this] { Run(); });
    }
    void Run() {
        ++runs;
        post([this] { Run(); });
    }
};

TEST(EventLoop, ARoundRunsOnlyTheWorkQueuedWhenItBegan) {
    EventLoop loop;
    EndlessWork work{loop};
    work.Start();
    loop.RunPending();
    EXPECT_EQ(work.runs, 1);
    loop.RunPending();
    EXPECT_EQ(work.runs, 2);
}

TEST(EventLoop, EndlessWorkDoesNotHoldTheLoopPastItsTime) {
    EventLoop loop;
    EndlessWork work{loop};
    work.Start();
    // Returns although there is always more to do (before, it never did).
    loop.RunUntil(EventLoop::Clock::now() + milliseconds(20));
    EXPECT_GE(work.runs, 1);
}

TEST(EventLoop, WorkPostedFromOtherThreadsRunsOnTheLoopsThreadInOrder) {
    EventLoop loop;
    const std::thread::id loopThread = std::this_thread::get_id();
    std::vector<int> order;
    bool allOnLoopThread = true;
    std::thread poster([&loop, &order, &allOnLoopThread, loopThread] {
        const serial::PostToUiThread post = loop.Poster();
        for (int i = 0; i < 100; ++i) {
            post([&order, &allOnLoopThread, loopThread, i] {
                order.push_back(i);
                allOnLoopThread = allOnLoopThread && std::this_thread::get_id() == loopThread;
            });
        }
        post([&loop] { loop.Wake(); });
    });
    loop.RunUntil(EventLoop::Clock::now() + hours(1));  // ends with the Wake, not the hour
    poster.join();
    loop.RunPending();
    ASSERT_EQ(order.size(), 100U);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    }
    EXPECT_TRUE(allOnLoopThread);
}

}  // namespace
}  // namespace flash410::cli
