// Stands in for the window's event loop: posted functions queue up and run on the test's own thread
// when the test lets them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "serial/ui_call.h"

namespace flash410::test_support {

class TestUiThread {
  public:
    serial::PostToUiThread Poster() {
        return [this](std::function<void()> work) {
            {
                std::lock_guard lock(mutex_);
                queue_.push_back(std::move(work));
            }
            posted_.notify_all();
        };
    }

    // Runs what is queued now; returns how many ran.
    int RunPending() {
        int ran = 0;
        for (;;) {
            std::function<void()> work;
            {
                std::lock_guard lock(mutex_);
                if (queue_.empty()) {
                    return ran;
                }
                work = std::move(queue_.front());
                queue_.pop_front();
            }
            work();
            ++ran;
        }
    }

    // Runs posted work until done() holds. The limit only keeps a broken component from hanging the
    // suite; a test that reaches it fails on its own assertions.
    template <typename Predicate>
    bool RunUntil(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            {
                std::unique_lock lock(mutex_);
                if (!posted_.wait_until(lock, deadline, [this] { return !queue_.empty(); })) {
                    return done();
                }
            }
            RunPending();
        }
        return true;
    }

    // Waits until something is queued or the time has passed; true when something is queued.
    bool WaitForWork(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return posted_.wait_for(lock, limit, [this] { return !queue_.empty(); });
    }

    std::size_t Queued() {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }

  private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace flash410::test_support
