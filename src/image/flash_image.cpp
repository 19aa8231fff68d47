#include "image/flash_image.h"

#include <algorithm>
#include <stdexcept>

namespace flash410::image {

FlashImage::FlashImage(FlashSize size)
    : size_(size), bytes_(size.Bytes(), kErasedByte), written_(size.Chunks(), false) {}

std::span<const std::uint8_t> FlashImage::Chunk(std::size_t chunk) const {
    return Bytes().subspan(chunk * kChunkSize, kChunkSize);
}

std::size_t FlashImage::WrittenChunks() const {
    return static_cast<std::size_t>(std::count(written_.begin(), written_.end(), true));
}

void FlashImage::Write(std::size_t address, std::span<const std::uint8_t> bytes) {
    if (address > bytes_.size() || bytes.size() > bytes_.size() - address) {
        throw std::out_of_range("bytes written beyond the flash");
    }
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(address));
    MarkWritten(address, bytes.size());
}

void FlashImage::MarkWritten(std::size_t address, std::size_t count) {
    if (count == 0) {
        return;
    }
    const std::size_t last = (address + count - 1) / kChunkSize;
    for (std::size_t chunk = address / kChunkSize; chunk <= last; ++chunk) {
        written_[chunk] = true;
    }
}

}  // namespace flash410::image
