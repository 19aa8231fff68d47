// The system's words for a Windows error code, for the messages that name a file.
#pragma once

#include <string>

namespace flash410::image {

// FormatMessage's text for the code, without its closing full stop and line end, such as "There is not
// enough space on the disk".
std::string WindowsReason(unsigned long error);

}  // namespace flash410::image
