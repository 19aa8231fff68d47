// SHA-256 by the system's own cryptography: libcrypto on Linux, BCrypt on Windows. The upload history
// names each image sent by its digest, so that a record can be matched to a file long after.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace flash410::platform {

// The digest of bytes as 64 lower-case hexadecimal digits. Throws std::runtime_error, with the system's
// words, only when the system's hashing itself fails.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace flash410::platform
