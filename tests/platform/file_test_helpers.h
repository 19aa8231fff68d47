// What the tests of byte files and replacement files share: bytes written as text, and the text that a
// file operation fails with.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/byte_file.h"
#include "platform/file_error.h"
#include "platform/replacement_file.h"

namespace flash410::platform::testing {

inline std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Appends the text to the new version of the file.
inline void Write(ReplacementFile& file, const std::string& text) {
    const auto bytes = Bytes(text);
    file.File().Append(bytes);
}

// The message of the FileError that the action ends with, or "no failure".
inline std::string FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileError& failure) {
        return failure.what();
    }
    return "no failure";
}

inline std::string OpeningFailure(const std::filesystem::path& name) {
    return FailureOf([&] { ByteFile::OpenForReading(name); });
}

}  // namespace flash410::platform::testing
