#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "image/flash_size.h"

namespace flash410::image {

// The upload image cuts the binary image into 1 KiB chunks; each non-blank chunk becomes a block of
// six address digits, the chunk's bytes and a checksum byte.
inline constexpr std::size_t kBlockAddressDigits = 6;
inline constexpr std::size_t kBlockSize = kBlockAddressDigits + kChunkSize + 1;
inline constexpr std::size_t kChecksumDigits = 4;

// The one buffer in which blocks are built for the upload image and from which they are sent.
using BlockBuffer = std::array<std::uint8_t, kBlockSize>;

}  // namespace flash410::image
