// The modem's end of the serial line as the flash loader's dialogue sees it: bytes from the program, replies
// to it, quiet spells, and the time, which is the line's own so that a line on a virtual clock can run
// the dialogue without waiting.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

#include "modem_sim/interruptible_wait.h"

namespace modemsim {

class ModemLine {
  public:
    enum class Status { kOk, kTimedOut, kHungUp, kStopped };

    struct Received {
        Status status = Status::kOk;
        std::uint8_t byte = 0;
    };

    virtual ~ModemLine() = default;

    // The next byte from the program. With a deadline: kTimedOut when no byte is delivered by then.
    virtual Received Receive(std::optional<Clock::time_point> deadline) = 0;
    virtual Status Send(std::span<const std::uint8_t> bytes) = 0;
    // Keeps quiet for a while; false when a stop came first.
    virtual bool Pause(Clock::duration duration) = 0;
    // Keeps quiet for a while as a silent modem does, but notices the program closing its port: kOk once
    // the time is up, kHungUp or kStopped as soon as either happens. Bytes that arrive meanwhile wait.
    virtual Status KeepQuiet(Clock::duration duration) = 0;
    virtual Clock::time_point Now() const = 0;
};

}  // namespace modemsim
