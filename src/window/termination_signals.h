// The requests to end the program (SIGTERM, SIGINT and SIGHUP on POSIX; Ctrl+C, Ctrl+Break and the console's
// close on Windows), turned into an event of the window's loop instead of an abrupt end.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace flash410 {

// Blocks SIGTERM, SIGINT and SIGHUP in the calling thread and every thread it starts afterwards (nothing to do on
// Windows).
void BlockTerminationSignals();

// Calls onSignal on the window's thread when one of the requests arrives.
class TerminationWatcher : public QObject {
  public:
    explicit TerminationWatcher(std::function<void()> onSignal);
    ~TerminationWatcher() override;

    // Runs onSignal; called on the window's thread.
    void Notify();

  private:
    int signalFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> onSignal_;
};

}  // namespace flash410
