#pragma once

#include <stdexcept>

namespace flash410::capture {

// A failure to open, create, write or close the capture file. what() is the text shown to the operator: it
// names the file and the system's reason.
class CaptureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace flash410::capture
