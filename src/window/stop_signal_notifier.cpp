#include "window/stop_signal_notifier.h"

#include <QSocketNotifier>

namespace flash410::window {

StopSignalNotifier::StopSignalNotifier(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    if (watcher_.Error() != 0) {
        return;
    }
    // The Linux window's loop watches the watcher's descriptor.
    auto* notifier = new QSocketNotifier(static_cast<int>(watcher_.Waitable()), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { Notify(); });
    notifier_ = notifier;
}

StopSignalNotifier::~StopSignalNotifier() {
    delete notifier_;  // before the wait object it watches goes with the watcher
}

void StopSignalNotifier::Notify() {
    if (watcher_.TakeRequests()) {
        onSignal_();
    }
}

}  // namespace flash410::window
