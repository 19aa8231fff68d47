#include "serial/ui_call.h"

namespace flash410::serial {

UiCall::Outcome UiCall::RunAndWait(const PostToUiThread& post, std::function<void()> work,
                                   const std::function<bool()>& shouldAbandon,
                                   std::shared_ptr<UiCall>& current, std::mutex& currentMutex) {
    auto call = std::make_shared<UiCall>();
    {
        std::lock_guard lock(currentMutex);
        current = call;
    }
    // The posted function holds only the call's own state until it knows it may run, so it stays safe
    // after the component that posted it is gone.
    post([call, work = std::move(work)] {
        {
            std::lock_guard lock(call->mutex_);
            if (call->state_ == State::kAbandoned) {
                return;
            }
            call->state_ = State::kRunning;
        }
        work();
        {
            std::lock_guard lock(call->mutex_);
            call->state_ = State::kDone;
        }
        call->changed_.notify_all();
    });

    Outcome outcome = Outcome::kDone;
    {
        std::unique_lock lock(call->mutex_);
        for (;;) {
            if (call->state_ == State::kDone) {
                break;
            }
            if (call->state_ == State::kPending && shouldAbandon()) {
                call->state_ = State::kAbandoned;
                outcome = Outcome::kAbandoned;
                break;
            }
            call->changed_.wait(lock);
        }
    }
    std::lock_guard lock(currentMutex);
    current.reset();
    return outcome;
}

void UiCall::CallOff() {
    // Taking the lock orders this after any check the waiter made before it began to wait.
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

}  // namespace flash410::serial
