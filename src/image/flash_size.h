#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace flash410::image {

// The binary image cuts the flash into chunks of 1 KiB; each non-blank chunk becomes a block.
inline constexpr std::size_t kChunkSize = 1024;
// The binary image's records of 128 bytes, as the window counts them.
inline constexpr std::size_t kBinaryImageRecordSize = 128;
inline constexpr std::uint8_t kErasedByte = 0xFF;

// The size of the flash that images are made for: a whole number of 1 KiB chunks. The programs use the
// modem's 4 MiB; a test whose subject is not the size uses a few chunks, so that each of its
// preparations makes, writes and checks kilobytes rather than megabytes.
class FlashSize {
  public:
    // Six address digits reach 16 MiB: a larger flash could not be addressed by a block.
    static constexpr std::size_t kMostChunks = 16 * 1024;

    static constexpr FlashSize OfChunks(std::size_t chunks) {
        if (chunks == 0 || chunks > kMostChunks) {
            throw std::invalid_argument("a flash holds 1 to 16384 chunks of 1 KiB");
        }
        return FlashSize(chunks);
    }

    constexpr std::size_t Chunks() const { return chunks_; }
    constexpr std::size_t Bytes() const { return chunks_ * kChunkSize; }
    constexpr std::int32_t Records() const {
        return static_cast<std::int32_t>(Bytes() / kBinaryImageRecordSize);
    }
    // The size as the operator reads it: "4 MiB", "16 KiB".
    std::string Text() const;
    // The highest address as six upper-case hexadecimal digits: "3FFFFF" for 4 MiB.
    std::string LastAddressText() const;

    friend constexpr bool operator==(FlashSize, FlashSize) = default;

  private:
    explicit constexpr FlashSize(std::size_t chunks) : chunks_(chunks) {}

    std::size_t chunks_;
};

// The modem's flash: 32768 records of 128 bytes.
inline constexpr FlashSize kModemFlash = FlashSize::OfChunks(4096);

}  // namespace flash410::image
