#include "modem_sim/flash_image.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <stdexcept>

#include "platform/system_error_text.h"

namespace modemsim {
namespace {
constexpr std::uint8_t kErased = 0xFF;
}

FlashImage::FlashImage() : bytes_(kFlashSize, kErased) {}

void FlashImage::Erase() {
    std::fill(bytes_.begin(), bytes_.end(), kErased);
}

void FlashImage::Store(std::uint32_t address, BlockData data) {
    if (address > kFlashSize - kBlockDataSize) {
        throw std::out_of_range("block address outside the flash");
    }
    std::copy(data.begin(), data.end(), bytes_.begin() + address);
}

void FlashImage::Save(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
        out.close();
    }
    if (!out) {
        throw std::runtime_error("cannot write the flash image " + path + ": " +
                                 flash410::platform::SystemErrorText(errno));
    }
}

}  // namespace modemsim
