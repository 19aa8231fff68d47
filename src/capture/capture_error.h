#pragma once

#include <stdexcept>

namespace flash410::capture {

// A failure to open, create, write or close the capture file. what() is the text shown to the operator: it
// names the file and the system's reason. It is the capture library's one error form: the log throws it
// and nothing else, after switching itself off where a write failed.
class CaptureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace flash410::capture
