// The worker thread of one SerialPort: waits for line events on the open port and hands each wake-up to
// the user-interface thread, waiting until the handlers have run there.
#pragma once

#include <thread>

namespace flash410::serial {

class SerialPort;

class EventThread {
  public:
    explicit EventThread(SerialPort& serial);
    // Asks the thread to end and waits for it.
    ~EventThread();
    EventThread(const EventThread&) = delete;
    EventThread& operator=(const EventThread&) = delete;

  private:
    void Execute();

    SerialPort& serial_;
    std::thread thread_;
};

}  // namespace flash410::serial
