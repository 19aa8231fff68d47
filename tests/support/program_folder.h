// A temporary program folder whose port links (ports/comN) lead to devices, as the serial component
// looks its ports up; removed with the object.
#pragma once

#include <string>

#include "temp_folder.h"

namespace flash410::test_support {

class ProgramFolder : public TempFolder {
  public:
    ProgramFolder();

    // Makes COM<port> lead to device, replacing a link the port had.
    void Link(int port, const std::string& device) const;
};

}  // namespace flash410::test_support
