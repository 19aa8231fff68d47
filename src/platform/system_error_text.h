// The system's words for its error numbers, as every message that names a failure gives them. These never
// fail: a number the system does not know gets a text that says the number.
#pragma once

#include <string>

namespace flash410::platform {

// The C library's text for an errno value, such as "No space left on device".
std::string SystemErrorText(int errorNumber);

}  // namespace flash410::platform
