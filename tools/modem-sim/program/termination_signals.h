// SIGINT and SIGTERM as a readable descriptor (signalfd), so that the modem's waits end on them without
// a signal handler or global state.
#pragma once

#include <signal.h>

#include "modem_sim/unique_fd.h"

namespace modemsim {

class TerminationSignals {
  public:
    // Blocks the signals for this thread (create it before any other thread) and restores them at the end.
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Readable once one of the signals has arrived.
    int fd() const { return fd_.get(); }

  private:
    sigset_t previous_{};
    UniqueFd fd_;
};

}  // namespace modemsim
