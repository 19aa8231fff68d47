// The worker thread of one TSerial: waits for line events on the open port and hands each wake-up to
// the user-interface thread, waiting until the handlers have run there.
#pragma once

#include <thread>

namespace serial4 {

class TSerial;

class TEventThread {
  public:
    explicit TEventThread(TSerial& serial);
    // Asks the thread to end and waits for it.
    ~TEventThread();
    TEventThread(const TEventThread&) = delete;
    TEventThread& operator=(const TEventThread&) = delete;

  private:
    void Execute();

    TSerial& serial_;
    std::thread thread_;
};

}  // namespace serial4
