#include "image/flash_size.h"

#include "platform/hex_text.h"

namespace flash410::image {

std::string FlashSize::Text() const {
    constexpr std::size_t kChunksInMiB = 1024;
    if (chunks_ % kChunksInMiB == 0) {
        return std::to_string(chunks_ / kChunksInMiB) + " MiB";
    }
    return std::to_string(chunks_) + " KiB";
}

std::string FlashSize::LastAddressText() const {
    return platform::HexNumber(static_cast<std::uint32_t>(Bytes() - 1), 6);
}

}  // namespace flash410::image
