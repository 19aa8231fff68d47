// The requests to end the program from outside (SIGTERM, SIGINT and SIGHUP), turned into an event of the
// window's loop instead of an abrupt end.
#pragma once

#include <QObject>
#include <functional>

#include "platform/stop_signal_watcher.h"

namespace flash410::window {

// Calls onSignal on the window's thread when one of the requests arrives. Made on the window's thread,
// after platform::BlockStopSignals() where threads start before it. When the system cannot watch for
// the requests, they end the program as they would without it.
class StopSignalNotifier : public QObject {
  public:
    explicit StopSignalNotifier(std::function<void()> onSignal);
    ~StopSignalNotifier() override;

    // Runs onSignal for the requests that have come; called on the window's thread.
    void Notify();

  private:
    platform::StopSignalWatcher watcher_;
    QObject* notifier_ = nullptr;  // the toolkit's watch on the watcher's wait object
    std::function<void()> onSignal_;
};

}  // namespace flash410::window
