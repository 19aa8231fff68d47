// A request to end, visible to poll(): the descriptor turns readable for good once Request() is called.
#pragma once

#include "platform/unique_fd.h"

namespace modemsim {

class StopSignal {
  public:
    StopSignal();
    // Safe from any thread and from a signal handler.
    void Request();
    int fd() const { return fd_.get(); }

  private:
    flash410::platform::UniqueFd fd_;
};

}  // namespace modemsim
