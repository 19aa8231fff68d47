#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/flash_size.h"

namespace flash410::image {

// The binary image in memory: the flash's bytes, erased until written, and which 1 KiB chunks anything
// was written into. A chunk that nothing wrote is blank without looking at it, so that an image of a
// few records costs a few records' work, not a scan of the whole flash.
class FlashImage {
  public:
    explicit FlashImage(FlashSize size);

    FlashSize Size() const { return size_; }
    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    std::span<const std::uint8_t> Chunk(std::size_t chunk) const;
    // Whether anything was written into the chunk; one that was may still hold only 0xFF.
    bool Written(std::size_t chunk) const { return written_[chunk]; }
    std::size_t WrittenChunks() const;

    // Puts bytes at address, where they must lie wholly inside the flash.
    void Write(std::size_t address, std::span<const std::uint8_t> bytes);
    // Fills the image from its start with what read(std::span<std::uint8_t>) puts into the span it is
    // given, the whole flash, and returns the count it read: those bytes count as written, the rest
    // stays erased.
    template <typename Read>
    void FillFromStart(Read&& read);

  private:
    void MarkWritten(std::size_t address, std::size_t count);

    FlashSize size_;
    std::vector<std::uint8_t> bytes_;
    std::vector<bool> written_;
};

template <typename Read>
void FlashImage::FillFromStart(Read&& read) {
    const std::size_t count = read(std::span<std::uint8_t>(bytes_));
    MarkWritten(0, count);
}

}  // namespace flash410::image
