// SIGTERM and SIGINT, turned into an event of the window's loop instead of an abrupt end.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace flash410 {

// Blocks SIGTERM and SIGINT in the calling thread and every thread it starts afterwards.
void BlockTerminationSignals();

// Calls onSignal on the window's thread when one of the blocked signals arrives.
class TerminationWatcher : public QObject {
  public:
    explicit TerminationWatcher(std::function<void()> onSignal);
    ~TerminationWatcher() override;

  private:
    int signalFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> onSignal_;
};

}  // namespace flash410
