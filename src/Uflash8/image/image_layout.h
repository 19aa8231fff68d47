#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace flash410::image {

// The binary image is the modem's 4 MiB flash: 32768 records of 128 bytes, erased to 0xFF.
inline constexpr std::int32_t BinaryImageRecords = 32768;
inline constexpr std::size_t BinaryImageRecordSize = 128;
inline constexpr std::size_t BinaryImageSize = BinaryImageRecords * BinaryImageRecordSize;
inline constexpr std::uint8_t ErasedByte = 0xFF;

// The upload image cuts the binary image into 1 KiB chunks; each non-blank chunk becomes a block of
// six address digits, the chunk's bytes and a checksum byte.
inline constexpr std::size_t ChunkSize = 1024;
inline constexpr std::size_t ChunkCount = BinaryImageSize / ChunkSize;
inline constexpr std::size_t BlockAddressDigits = 6;
inline constexpr std::size_t BlockSize = BlockAddressDigits + ChunkSize + 1;
inline constexpr std::size_t ChecksumDigits = 4;

// The one buffer in which blocks are built for the upload image and from which they are sent.
using BlockBuffer = std::array<std::uint8_t, BlockSize>;

// The binary image's contents while it is being built or read.
using ImageBytes = std::span<std::uint8_t, BinaryImageSize>;

}  // namespace flash410::image
