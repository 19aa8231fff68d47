// The folder of the running program, for a front end without Qt to ask it.
#pragma once

#include <string>

namespace flash410 {

// With its trailing separator; empty when the system cannot say.
std::string RunningProgramFolder();

}  // namespace flash410
