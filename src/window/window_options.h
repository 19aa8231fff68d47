// The few options of the window program, answered before any window (or display) is needed.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>

namespace flash410::window {

// "--version" and "--help" print their text to out and give the exit status; anything else is left to the
// window toolkit, which takes its own options (-platform, -style, ...), and gives nothing.
std::optional<int> AnswerInformationOption(std::span<const std::string> arguments, std::ostream& out);

}  // namespace flash410::window
