// The pseudo-terminal and program folder under the names the upload tests know.
#pragma once

#include <string>

#include "support/program_folder.h"
#include "support/pseudo_terminal.h"

namespace serial4::testing {

using flash410::testing::PseudoTerminal;

// A program folder whose path() ends with "/".
class ProgramFolder {
  public:
    void Link(int port, const std::string& device) const { folder_.Link(port, device); }
    std::string path() const { return folder_.folder(); }

  private:
    flash410::testing::ProgramFolder folder_;
};

}  // namespace serial4::testing
