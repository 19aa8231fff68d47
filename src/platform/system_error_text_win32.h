// The system's words for Windows error codes (GetLastError), as every message that names a failure gives
// them. This never fails: a code the system has no text for gives "Error <code>".
#pragma once

#include <string>

namespace flash410::platform {

// FormatMessage's text for the code without its closing full stop and line end, so that it reads like the
// C library's texts inside a sentence: "Access is denied", "There is not enough space on the disk".
std::string WindowsErrorText(unsigned long code);

}  // namespace flash410::platform
