// Writing the modem's replies: the text and CR LF, held back and with the line noise and the splitting
// the settings ask for.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "modem_sim/modem_line.h"
#include "modem_sim/sim_config.h"

namespace modemsim {

// What the writer does with the line: sending bytes and keeping quiet. A seam of its own, so that what
// the writer waits for can be seen without waiting.
class ReplyOutput {
  public:
    virtual ~ReplyOutput() = default;
    virtual ModemLine::Status Send(std::span<const std::uint8_t> bytes) = 0;
    // False when a stop came first.
    virtual bool Pause(Clock::duration duration) = 0;
};

// The modem's own line as the writer's output.
class LineReplyOutput final : public ReplyOutput {
  public:
    explicit LineReplyOutput(ModemLine& line) : line_(line) {}
    ModemLine::Status Send(std::span<const std::uint8_t> bytes) override { return line_.Send(bytes); }
    bool Pause(Clock::duration duration) override { return line_.Pause(duration); }

  private:
    ModemLine& line_;
};

class ReplyWriter {
  public:
    ReplyWriter(ReplyOutput& output, const FaultPlan& faults, Clock::duration replyDelay)
        : output_(output), faults_(faults), replyDelay_(replyDelay) {}

    ModemLine::Status Send(std::string_view text);

  private:
    ReplyOutput& output_;
    const FaultPlan& faults_;
    Clock::duration replyDelay_;
    std::size_t noiseIndex_ = 0;
};

// The noise bytes: never CR, LF or a letter, so they cannot end a line or spell a word the PC looks for.
bool IsNoiseByte(unsigned char byte);

}  // namespace modemsim
