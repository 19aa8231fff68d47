// Work handed to the window's thread from another thread: it runs there, once, when the window takes its
// message; what is still queued when the window goes is freed unrun, and nothing else is taken for work.
#include "win32_window/posted_work.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "win32_window/gdi_objects.h"
#include "window_test_support.h"

namespace flash410::win32_window {
namespace {

class PostedWorkTest : public ::testing::Test {
  protected:
    // A hidden window of this thread, as the main window is.
    OwnedWindow window_{
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)};

    void SetUp() override { FLASH410_SKIP_WITHOUT_WINDOWS(window_); }

    // Takes the window's private messages as its procedure does; returns how many ran work.
    static int TakeMessages(HWND window, PostedWork& work) {
        int ran = 0;
        MSG message;
        while (PeekMessageW(&message, window, PostedWork::kMessage, PostedWork::kMessage, PM_REMOVE) != 0) {
            ran += work.Run(message.lParam) ? 1 : 0;
        }
        return ran;
    }
    static bool Queued(HWND window) {
        MSG message;
        return PeekMessageW(&message, window, PostedWork::kMessage, PostedWork::kMessage, PM_NOREMOVE) != 0;
    }
};

TEST_F(PostedWorkTest, WorkPostedFromAnotherThreadRunsOnTheWindowsThreadWhenItsMessageIsTaken) {
    PostedWork work(window_.get());
    std::vector<std::thread::id> ranOn;
    std::thread poster([post = work.Poster(), &ranOn] {
        for (int i = 0; i < 3; ++i) {
            post([&ranOn] { ranOn.push_back(std::this_thread::get_id()); });
        }
    });
    poster.join();
    EXPECT_TRUE(ranOn.empty());  // nothing runs on the posting thread

    EXPECT_EQ(TakeMessages(window_.get(), work), 3);
    EXPECT_EQ(ranOn, std::vector<std::thread::id>(3, std::this_thread::get_id()));
    EXPECT_EQ(TakeMessages(window_.get(), work), 0);  // each piece ran once
}

TEST_F(PostedWorkTest, RunQueuedRunsWhatWaitsInTheOrderItWasPosted) {
    PostedWork work(window_.get());
    std::vector<int> order;
    for (int i = 1; i <= 4; ++i) {
        work.Poster()([&order, i] { order.push_back(i); });
    }
    work.RunQueued();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_FALSE(Queued(window_.get()));
}

TEST_F(PostedWorkTest, WorkLeftQueuedWhenTheWindowGoesIsFreedUnrun) {
    auto held = std::make_shared<int>(0);
    const std::weak_ptr<int> watch = held;
    serial::PostToUiThread post;
    {
        PostedWork work(window_.get());
        post = work.Poster();
        post([held = std::move(held)] { ++*held; });
        ASSERT_TRUE(Queued(window_.get()));
        EXPECT_FALSE(watch.expired());
    }
    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(Queued(window_.get()));

    // A thread that posts after the window has gone has its work freed at once.
    auto late = std::make_shared<int>(0);
    const std::weak_ptr<int> watchLate = late;
    post([late = std::move(late)] { ++*late; });
    EXPECT_TRUE(watchLate.expired());
    EXPECT_FALSE(Queued(window_.get()));
}

TEST_F(PostedWorkTest, AMessageThatCarriesNoPostedWorkIsNotRun) {
    PostedWork work(window_.get());
    bool ran = false;
    std::function<void()> stranger = [&ran] { ran = true; };
    // Another program may post the same message number; its lParam is never taken for work.
    PostMessageW(window_.get(), PostedWork::kMessage, 0, reinterpret_cast<LPARAM>(&stranger));
    EXPECT_EQ(TakeMessages(window_.get(), work), 0);
    EXPECT_FALSE(work.Run(reinterpret_cast<LPARAM>(&stranger)));
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace flash410::win32_window
