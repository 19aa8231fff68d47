#pragma once

#include <filesystem>
#include <string>

namespace flash410::image {

// The system's text for an error number, such as "No space left on device".
std::string SystemReason(int error);

// Throws PreparationError saying "Cannot <action> <name>: <reason>".
[[noreturn]] void FailOnFile(const std::string& action, const std::filesystem::path& name,
                             const std::string& reason);

}  // namespace flash410::image
