// A pseudo-terminal pair for tests: the test plays the far end on the master side, the component opens
// the slave, usually through a port link in a program folder.
#pragma once

#include <cstddef>
#include <string>

#include "platform/unique_fd.h"

namespace flash410::test_support {

class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_.get(); }

    void Send(const std::string& bytes);
    // Reads what the component sent until count bytes have come or nothing more comes for quietMs.
    std::string Receive(std::size_t count, int quietMs = 2000);
    // Closes the master side: the far end vanishes.
    void Hangup();

  private:
    platform::UniqueFd master_;
    std::string slavePath_;
};

}  // namespace flash410::test_support
