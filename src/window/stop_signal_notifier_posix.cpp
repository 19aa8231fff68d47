#include <QSocketNotifier>

#include "window/stop_signal_notifier.h"

namespace flash410::window {

StopSignalNotifier::StopSignalNotifier(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    if (watcher_.Error() != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(static_cast<int>(watcher_.Waitable()), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { Notify(); });
    notifier_ = notifier;
}

}  // namespace flash410::window
