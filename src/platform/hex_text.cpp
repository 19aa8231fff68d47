#include "platform/hex_text.h"

namespace flash410::platform {

namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kLowerDigits[] = "0123456789abcdef";

}  // namespace

std::string HexBytes(std::span<const std::uint8_t> bytes, HexLetters letters) {
    const char* digits = letters == HexLetters::kUpper ? kUpperDigits : kLowerDigits;
    std::string text;
    text.reserve(2 * bytes.size());
    for (const std::uint8_t byte : bytes) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 0xF]);
    }
    return text;
}

std::string HexNumber(std::uint64_t value, std::size_t minDigits) {
    std::string text;
    for (; value != 0 || text.size() < minDigits; value >>= 4) {
        text.insert(text.begin(), kUpperDigits[value & 0xF]);
    }
    return text;
}

}  // namespace flash410::platform
