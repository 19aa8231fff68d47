// SHA-256 through BCrypt. The algorithm provider and the hash object are handles of their own, each
// released by its owner whatever happens between.
#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "platform/hex_text.h"
#include "platform/sha256.h"

namespace flash410::platform {

namespace {

constexpr ULONG kDigestSize = 32;

void Check(NTSTATUS status, const char* what) {
    if (!BCRYPT_SUCCESS(status)) {
        // BCrypt answers with an NTSTATUS, which has no text of the Win32 kind: its number says it.
        std::array<char, 16> number{};
        std::snprintf(number.data(), number.size(), "0x%08lX", static_cast<unsigned long>(status));
        throw std::runtime_error(std::string("BCrypt could not ") + what + " (status " + number.data() + ")");
    }
}

class AlgorithmProvider {
  public:
    AlgorithmProvider() {
        Check(BCryptOpenAlgorithmProvider(&handle_, BCRYPT_SHA256_ALGORITHM, nullptr, 0),
              "open the SHA-256 provider");
    }
    ~AlgorithmProvider() { BCryptCloseAlgorithmProvider(handle_, 0); }
    AlgorithmProvider(const AlgorithmProvider&) = delete;
    AlgorithmProvider& operator=(const AlgorithmProvider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

  private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class HashObject {
  public:
    explicit HashObject(const AlgorithmProvider& provider) {
        Check(BCryptCreateHash(provider.get(), &handle_, nullptr, 0, nullptr, 0, 0), "create a hash");
    }
    ~HashObject() { BCryptDestroyHash(handle_); }
    HashObject(const HashObject&) = delete;
    HashObject& operator=(const HashObject&) = delete;
    BCRYPT_HASH_HANDLE get() const { return handle_; }

  private:
    BCRYPT_HASH_HANDLE handle_ = nullptr;
};

}  // namespace

std::string Sha256Hex(std::span<const std::uint8_t> bytes) {
    const AlgorithmProvider provider;
    const HashObject hash(provider);
    // BCryptHashData takes a ULONG count: a larger input goes in pieces.
    constexpr std::size_t kLargestPiece = std::numeric_limits<ULONG>::max();
    for (std::size_t offset = 0; offset < bytes.size(); offset += kLargestPiece) {
        const std::size_t piece = std::min(kLargestPiece, bytes.size() - offset);
        // BCrypt does not write to the input; its declaration lacks the const.
        Check(BCryptHashData(hash.get(), const_cast<PUCHAR>(bytes.data() + offset), static_cast<ULONG>(piece),
                             0),
              "hash the data");
    }
    std::array<UCHAR, kDigestSize> digest{};
    Check(BCryptFinishHash(hash.get(), digest.data(), kDigestSize, 0), "finish the hash");
    return HexBytes(digest, HexLetters::kLower);
}

}  // namespace flash410::platform
