// SHA-256 through libcrypto's one-shot digest: nothing to keep open, so nothing to release.
#include <openssl/evp.h>

#include <array>
#include <stdexcept>

#include "platform/sha256.h"

namespace flash410::platform {

std::string Sha256Hex(std::span<const std::uint8_t> bytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("libcrypto could not compute a SHA-256 digest");
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 0x0F];
    }
    return text;
}

}  // namespace flash410::platform
