// Runs line_peer (see line_peer.cpp) as a process of its own. The constructor returns once the peer has
// said its first line, so a test never guesses how long the peer needs to get ready.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace flash410::serial::testing {

class LinePeerProcess {
  public:
    explicit LinePeerProcess(const std::vector<std::string>& arguments);
    // Closes the peer's standard input, which ends it, and waits for it.
    ~LinePeerProcess();
    LinePeerProcess(const LinePeerProcess&) = delete;
    LinePeerProcess& operator=(const LinePeerProcess&) = delete;

    pid_t pid() const { return pid_; }
    // What the peer said when ready ("ready", a device path) or why it could not be ("error: ...").
    const std::string& firstLine() const { return firstLine_; }

  private:
    pid_t pid_ = -1;
    platform::UniqueFd toPeer_;
    std::string firstLine_;
};

}  // namespace flash410::serial::testing
