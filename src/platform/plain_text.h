// Text read and compared as the programs' own formats and the systems' names have it, whatever the
// locale says: ASCII letters in one case, and numbers in decimal digits.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace flash410::platform {

std::string AsciiLowerCase(std::string_view text);
std::string AsciiUpperCase(std::string_view text);
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

// The whole text as a decimal number ("-5" included); nothing for an empty text, one with anything else
// in it, or a number beyond an int.
std::optional<int> WholeNumber(std::string_view text);

}  // namespace flash410::platform
