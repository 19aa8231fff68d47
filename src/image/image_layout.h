#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace flash410::image {

// The binary image is the modem's 4 MiB flash: 32768 records of 128 bytes, erased to 0xFF.
inline constexpr std::int32_t kBinaryImageRecords = 32768;
inline constexpr std::size_t kBinaryImageRecordSize = 128;
inline constexpr std::size_t kBinaryImageSize = kBinaryImageRecords * kBinaryImageRecordSize;
inline constexpr std::uint8_t kErasedByte = 0xFF;

// The upload image cuts the binary image into 1 KiB chunks; each non-blank chunk becomes a block of
// six address digits, the chunk's bytes and a checksum byte.
inline constexpr std::size_t kChunkSize = 1024;
inline constexpr std::size_t kChunkCount = kBinaryImageSize / kChunkSize;
inline constexpr std::size_t kBlockAddressDigits = 6;
inline constexpr std::size_t kBlockSize = kBlockAddressDigits + kChunkSize + 1;
inline constexpr std::size_t kChecksumDigits = 4;

// The one buffer in which blocks are built for the upload image and from which they are sent.
using BlockBuffer = std::array<std::uint8_t, kBlockSize>;

// The binary image's contents while it is being built or read.
using ImageBytes = std::span<std::uint8_t, kBinaryImageSize>;

}  // namespace flash410::image
