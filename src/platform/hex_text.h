// Hexadecimal text as the programs write it: upper-case digits in what the modem, the capture log and the
// operator read, lower-case in digests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace flash410::platform {

enum class HexLetters { kUpper, kLower };

// Two digits a byte: {0x0D, 0xA0} is "0DA0".
std::string HexBytes(std::span<const std::uint8_t> bytes, HexLetters letters = HexLetters::kUpper);

// The value in upper-case digits, at least minDigits of them: 0x3FFC00 in six is "3FFC00", 10 in two "0A".
std::string HexNumber(std::uint64_t value, std::size_t minDigits);

}  // namespace flash410::platform
