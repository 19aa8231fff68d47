// The command line's stand-in for the window's event loop: the serial components post their notifications
// from their event threads, and the upload's own thread runs them between its ticks.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "serial/ui_call.h"

namespace flash410::cli {

// How long a command's loop sleeps at most: a stop signal is noticed within it.
inline constexpr std::chrono::milliseconds kLongestLoopSleep{50};
// How often what a terminal shows of the uploads is drawn again.
inline constexpr std::chrono::milliseconds kTerminalRedraw{250};

class EventLoop {
  public:
    using Clock = std::chrono::steady_clock;

    serial::PostToUiThread Poster();

    // Runs posted work as it comes until the time is reached or Wake is called.
    void RunUntil(Clock::time_point until);
    // Runs what is queued now.
    void RunPending();
    // Makes RunUntil return; may be called from any thread.
    void Wake();

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> queue_;
    bool woken_ = false;
};

}  // namespace flash410::cli
