// File names as the programs hold them: UTF-8 text on every system. A std::filesystem::path made straight
// from a std::string reads the text in the standard library's narrow encoding, which on Windows is not
// UTF-8 (it reads "café" as "cafÃ©"): a name held as text becomes a path here, and only here.
#pragma once

#include <filesystem>
#include <string_view>

namespace flash410::platform {

// The path a UTF-8 name stands for. On POSIX the bytes are taken as they are (a name need not be UTF-8
// there); on Windows a byte sequence that is not UTF-8 becomes U+FFFD rather than an exception.
std::filesystem::path PathFromUtf8(std::string_view name);

}  // namespace flash410::platform
