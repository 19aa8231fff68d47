#include "window/stop_signal_notifier.h"

namespace flash410::window {

StopSignalNotifier::~StopSignalNotifier() {
    delete notifier_;  // before the wait object it watches goes with the watcher
}

void StopSignalNotifier::Notify() {
    if (watcher_.TakeRequests()) {
        onSignal_();
    }
}

}  // namespace flash410::window
