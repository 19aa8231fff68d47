// The 1031-byte block the PC sends for each 1 KiB of flash: six upper-case hexadecimal digits of the
// block's flash address, the 1024 data bytes, and a checksum byte (sum of the 1030 bytes before it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace modemsim {

inline constexpr std::size_t kAddressDigits = 6;
inline constexpr std::size_t kBlockDataSize = 1024;
inline constexpr std::size_t kBlockSize = kAddressDigits + kBlockDataSize + 1;
inline constexpr std::uint32_t kFlashSize = 4u * 1024u * 1024u;

using BlockBytes = std::array<std::uint8_t, kBlockSize>;
using BlockData = std::span<const std::uint8_t, kBlockDataSize>;

enum class BlockVerdict {
    kGood,
    kWrongChecksum,
    kBadAddressDigits,
    kMisalignedAddress,
    kOutsideFlash,
    kOutOfOrder,
};

struct BlockCheck {
    BlockVerdict verdict = BlockVerdict::kGood;
    std::uint32_t address = 0;  // meaningful once the digits have been read
};

// Sum of bytes 0 to 1029 modulo 256.
std::uint8_t BlockChecksum(const BlockBytes& block);

// Judges a received block. lastStored is the address of the last block stored in this upload; the same
// address again is good (a re-send brings it), a lower one is out of order.
BlockCheck CheckBlock(const BlockBytes& block, std::optional<std::uint32_t> lastStored);

std::string_view VerdictText(BlockVerdict verdict);

// The block for data at address (a multiple of 0x400 inside the flash), checksum included.
BlockBytes EncodeBlock(std::uint32_t address, BlockData data);

inline BlockData DataOf(const BlockBytes& block) {
    return BlockData(block.data() + kAddressDigits, kBlockDataSize);
}

}  // namespace modemsim
