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
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) {
                return;
            }
            work = std::move(queue_.front());
            queue_.pop_front();
        }
        work();  // outside the lock: the work may post more
    }
}

void EventLoop::RunUntil(Clock::time_point until) {
    for (;;) {
        RunPending();
        std::unique_lock lock(mutex_);
        if (!changed_.wait_until(lock, until, [this] { return woken_ || !queue_.empty(); })) {
            return;
        }
        if (woken_) {
            woken_ = false;
            return;
        }
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
