#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace flash410::platform {
namespace {

std::string DigestOf(std::string_view text) {
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    return Sha256Hex(bytes);
}

// The published test vectors of FIPS 180-2, the short and the long ones.
TEST(Sha256, GivesThePublishedDigests) {
    EXPECT_EQ(DigestOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(DigestOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(DigestOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    const std::vector<std::uint8_t> millionA(1'000'000, 'a');
    EXPECT_EQ(Sha256Hex(millionA), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace flash410::platform
