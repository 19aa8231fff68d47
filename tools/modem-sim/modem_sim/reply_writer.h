// Writing the modem's replies: the text and CR LF, with the line noise and the splitting the faults ask
// for.
#pragma once

#include <string_view>

#include "modem_sim/modem_line.h"
#include "modem_sim/sim_config.h"

namespace modemsim {

class ReplyWriter {
  public:
    ReplyWriter(ModemLine& line, const FaultPlan& faults) : line_(line), faults_(faults) {}

    ModemLine::Status Send(std::string_view text);

  private:
    ModemLine& line_;
    const FaultPlan& faults_;
    std::size_t noiseIndex_ = 0;
};

// The noise bytes: never CR, LF or a letter, so they cannot end a line or spell a word the PC looks for.
bool IsNoiseByte(unsigned char byte);

}  // namespace modemsim
