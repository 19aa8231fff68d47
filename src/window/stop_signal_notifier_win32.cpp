#include <windows.h>

#include <QWinEventNotifier>

#include "window/stop_signal_notifier.h"

namespace flash410::window {

StopSignalNotifier::StopSignalNotifier(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    if (watcher_.Error() != 0) {
        return;
    }
    auto* notifier = new QWinEventNotifier(reinterpret_cast<HANDLE>(watcher_.Waitable()), this);
    connect(notifier, &QWinEventNotifier::activated, this, [this] { Notify(); });
    notifier_ = notifier;
}

}  // namespace flash410::window
