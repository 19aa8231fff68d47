// SHA-256 through libcrypto's one-shot digest: nothing to keep open, so nothing to release.
#include <openssl/evp.h>

#include <array>
#include <stdexcept>

#include "platform/hex_text.h"
#include "platform/sha256.h"

namespace flash410::platform {

std::string Sha256Hex(std::span<const std::uint8_t> bytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("libcrypto could not compute a SHA-256 digest");
    }
    return HexBytes(std::span(digest.data(), length), HexLetters::kLower);
}

}  // namespace flash410::platform
