#include "modem_sim/block_format.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "platform/hex_text.h"

namespace modemsim {
namespace {

constexpr std::uint32_t kBlockAlignment = 0x400;
// The value of an upper-case hexadecimal digit; lower case is refused, as the loader demands.
std::optional<std::uint32_t> UpperHexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return std::nullopt;
}

}  // namespace

std::uint8_t BlockChecksum(const BlockBytes& block) {
    const unsigned sum = std::accumulate(block.begin(), block.end() - 1, 0u);
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

BlockCheck CheckBlock(const BlockBytes& block, std::optional<std::uint32_t> lastStored) {
    // The checksum first: a block damaged on the wire may carry any address.
    if (BlockChecksum(block) != block[kBlockSize - 1]) {
        return {BlockVerdict::kWrongChecksum, 0};
    }
    std::uint32_t address = 0;
    for (std::size_t i = 0; i < kAddressDigits; ++i) {
        const auto digit = UpperHexValue(block[i]);
        if (!digit) {
            return {BlockVerdict::kBadAddressDigits, 0};
        }
        address = address * 16 + *digit;
    }
    if (address % kBlockAlignment != 0) {
        return {BlockVerdict::kMisalignedAddress, address};
    }
    if (address >= kFlashSize) {
        return {BlockVerdict::kOutsideFlash, address};
    }
    if (lastStored && address < *lastStored) {
        return {BlockVerdict::kOutOfOrder, address};
    }
    return {BlockVerdict::kGood, address};
}

std::string_view VerdictText(BlockVerdict verdict) {
    switch (verdict) {
        case BlockVerdict::kGood:
            return "good";
        case BlockVerdict::kWrongChecksum:
            return "wrong checksum";
        case BlockVerdict::kBadAddressDigits:
            return "address is not six upper-case hexadecimal digits";
        case BlockVerdict::kMisalignedAddress:
            return "address is not a multiple of 0x400";
        case BlockVerdict::kOutsideFlash:
            return "address lies outside the 4 MiB flash";
        case BlockVerdict::kOutOfOrder:
            return "address lies below the last stored block";
    }
    return "unknown";
}

BlockBytes EncodeBlock(std::uint32_t address, BlockData data) {
    if (address % kBlockAlignment != 0 || address >= kFlashSize) {
        throw std::invalid_argument("block address must be a multiple of 0x400 inside the flash");
    }
    BlockBytes block{};
    const std::string digits = flash410::platform::HexNumber(address, kAddressDigits);
    std::copy(digits.begin(), digits.end(), block.begin());
    std::copy(data.begin(), data.end(), block.begin() + kAddressDigits);
    block[kBlockSize - 1] = BlockChecksum(block);
    return block;
}

}  // namespace modemsim
