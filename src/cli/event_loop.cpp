#include "cli/event_loop.h"

namespace flash410::cli {

serial::PostToUiThread EventLoop::Poster() {
    return [this](std::function<void()> work) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(work));
        }
        changed_.notify_one();
    };
}

void EventLoop::RunPending() {
    // Only what is queued now: work that the threads (or the work itself) post meanwhile waits for the
    // next round, so that a busy port cannot keep the loop from its stop flag, time-outs and other ports.
    std::deque<std::function<void()>> due;
    {
        std::lock_guard lock(mutex_);
        due.swap(queue_);
    }
    for (std::function<void()>& work : due) {
        work();  // outside the lock: the work may post more
    }
}

void EventLoop::RunUntil(Clock::time_point until) {
    for (;;) {
        RunPending();
        std::unique_lock lock(mutex_);
        if (woken_) {
            woken_ = false;
            return;
        }
        // Checked whether or not more work is queued: a steady stream of it must not hold the caller.
        if (Clock::now() >= until) {
            return;
        }
        changed_.wait_until(lock, until, [this] { return woken_ || !queue_.empty(); });
    }
}

void EventLoop::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    changed_.notify_one();
}

}  // namespace flash410::cli
