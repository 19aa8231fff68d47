// The operator's home folder, where the data folder memory lives and where the chooser opens first.
#pragma once

#include <string>

namespace flash410::platform {

// On POSIX, $HOME when it is set and not empty, otherwise the home folder the password database gives
// the user, and "/" when neither is known. On Windows, %USERPROFILE%, otherwise the profile folder the
// shell knows, and "C:\" when neither is known.
std::string UserHomeFolder();

}  // namespace flash410::platform
