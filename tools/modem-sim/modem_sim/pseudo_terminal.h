// The simulated modem's end of the cable: a pseudo-terminal whose master side the modem owns. The slave
// side is the device the program opens; the modem never keeps it open, because the program refuses a
// device that another process holds.
#pragma once

#include <string>

#include "platform/unique_fd.h"

namespace modemsim {

class PseudoTerminal {
  public:
    // Throws std::system_error when the system has no pseudo-terminal to give.
    PseudoTerminal();

    int master() const { return master_.get(); }
    const std::string& slavePath() const { return slavePath_; }

  private:
    flash410::platform::UniqueFd master_;
    std::string slavePath_;
};

}  // namespace modemsim
