#include "serial/event_thread.h"

#include "serial/serial_port.h"

namespace flash410::serial {

EventThread::EventThread(SerialPort& serial) : serial_(serial), thread_([this] { Execute(); }) {}

EventThread::~EventThread() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void EventThread::Execute() {
    SerialPort& s = serial_;
    for (;;) {
        std::shared_ptr<SerialDevice> device;
        std::uint64_t session = 0;
        {
            std::unique_lock lock(s.threadMutex_);
            s.threadInWait_ = false;
            s.threadChanged_.notify_all();
            // Idle, blocked, until a port is being watched.
            s.threadChanged_.wait(lock, [&s] { return s.terminate_ || (s.watching_ && !s.closing_); });
            if (s.terminate_) {
                return;
            }
            s.threadInWait_ = true;
            device = s.device_;
            session = s.session_;
        }
        const EventWaitResult result = device->WaitEvents();
        if (s.SessionEnded(session)) {
            continue;  // the close woke the wait: nothing is dispatched
        }
        if (result.error) {
            s.RunOnUiThread(session, [&s, session, error = result.error] { s.WaitFailed(session, error); });
            continue;
        }
        if (result.events == 0) {
            continue;
        }
        ModemLines lines;
        if ((result.events & (line_event::kCts | line_event::kDsr | line_event::kRlsd)) != 0) {
            lines = device->ReadModemLines();
        }
        s.RunOnUiThread(session, [&s, session, events = result.events, lines] {
            s.DispatchEvents(session, events, lines);
        });
    }
}

}  // namespace flash410::serial
