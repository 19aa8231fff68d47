// Runs work on the user-interface thread on behalf of another thread and waits for it, unless the wait
// is called off first: a call that the UI thread has not started yet is then abandoned and never runs.
// The UI thread can therefore close the port without waiting for a thread that waits for it.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace flash410::serial {

// Queues a function to run on the user-interface thread and returns at once.
using PostToUiThread = std::function<void(std::function<void()>)>;

class UiCall {
  public:
    enum class Outcome { kDone, kAbandoned };

    // Posts work; then waits until it has run, or until shouldAbandon() is true while it has not begun.
    // shouldAbandon is checked whenever CallOff() is called and when the wait begins.
    static Outcome RunAndWait(const PostToUiThread& post, std::function<void()> work,
                              const std::function<bool()>& shouldAbandon, std::shared_ptr<UiCall>& current,
                              std::mutex& currentMutex);

    // Makes a waiting caller look at its abandon condition again.
    void CallOff();

  private:
    enum class State { kPending, kRunning, kDone, kAbandoned };

    std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::kPending;
};

}  // namespace flash410::serial
