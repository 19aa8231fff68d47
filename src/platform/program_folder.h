// The folder of the running program, found without any toolkit's help.
#pragma once

#include <string>

namespace flash410::platform {

// The running executable's folder with a trailing "/" (links followed), or "" when the system does not
// say: /proc/self/exe on Linux, GetModuleFileNameW on Windows.
std::string RunningProgramFolder();

}  // namespace flash410::platform
