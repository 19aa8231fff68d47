// The modem's end of the serial line over the pseudo-terminal master, on the real clock. Bytes from the
// program are handed on only when their last bit would have crossed a real cable, and replies leave at the
// same pace. The program closing its port shows as a hang-up; a stop request ends any wait at once.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include "modem_sim/interruptible_wait.h"
#include "modem_sim/modem_line.h"
#include "modem_sim/sim_config.h"

namespace modemsim {

class TerminalLine final : public ModemLine {
  public:
    TerminalLine(int master, int stopFd, LinePacing pacing);

    // Waits until the program opens the port; false when a stop came first.
    bool WaitForAttach();
    Received Receive(std::optional<Clock::time_point> deadline) override;
    Status Send(std::span<const std::uint8_t> bytes) override;
    bool Pause(Clock::duration duration) override { return SleepFor(stopFd_, duration); }
    Status KeepQuiet(Clock::duration duration) override;
    Clock::time_point Now() const override { return Clock::now(); }
    // Before the modem ends with the program still attached: waits, up to the limit, until the program
    // has read all the modem sent, since ending hangs the line up and that throws unread bytes away.
    void WaitUntilRead(Clock::duration limit);
    // After a hang-up: forgets what the closed port left behind, so the next program starts afresh.
    void Reset();

    std::uint64_t bytesReceived() const { return received_; }

  private:
    struct Pending {
        std::uint8_t byte;
        Clock::time_point delivery;
    };

    Status FillQueue(std::optional<Clock::time_point> deadline);
    Status WriteAll(std::span<const std::uint8_t> bytes);
    bool HungUpNow() const;
    std::chrono::nanoseconds ByteTimeNow() const;

    int master_;
    int stopFd_;
    LinePacing pacing_;
    std::deque<Pending> queue_;
    Clock::time_point rxLineFree_{};
    Clock::time_point txLineFree_{};
    std::uint64_t received_ = 0;
};

}  // namespace modemsim
