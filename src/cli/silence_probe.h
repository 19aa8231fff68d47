// What a station does on a port that has no adapter to tell one modem from the next, once an upload there
// has ended: it goes on asking as an upload asks, and waits for the line to stay quiet. A modem that is
// still connected keeps answering and is not flashed again; once nothing has come for a while (the modem
// was unplugged or powered off, or the port itself went away), the port is free for the next modem.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "serial/serial_port.h"
#include "session/upload_session.h"
#include "upload/upload_engine.h"

namespace flash410::cli {

class SilenceProbe {
  public:
    using Clock = std::chrono::steady_clock;
    // As often as the upload asks for READY.
    static constexpr std::chrono::milliseconds kAskInterval{500};

    SilenceProbe(const std::string& linkFolder, const session::PortChoice& port, std::int32_t baud,
                 upload::UploadRequest request, serial::PostToUiThread postToLoop, Clock::duration quietTime,
                 Clock::time_point now);
    ~SilenceProbe();
    SilenceProbe(const SilenceProbe&) = delete;
    SilenceProbe& operator=(const SilenceProbe&) = delete;

    // Asks once more, opening the port again first where it is closed (it failed, or is not there).
    void Ask();
    // Nothing has come for the quiet time: the modem that was flashed is gone.
    bool Quiet(Clock::time_point now) const { return now - lastHeard_ >= quietTime_; }

  private:
    void Receive();

    std::unique_ptr<serial::SerialPort> port_;
    std::string request_;
    Clock::duration quietTime_;
    Clock::time_point lastHeard_;
};

}  // namespace flash410::cli
