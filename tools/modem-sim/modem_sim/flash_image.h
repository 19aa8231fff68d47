// The modem's 4 MiB flash as the loader leaves it: 0xFF wherever no block was stored since the erase.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "modem_sim/block_format.h"

namespace modemsim {

class FlashImage {
  public:
    FlashImage();

    void Erase();
    // address: a multiple of 0x400 inside the flash (the caller has checked the block).
    void Store(std::uint32_t address, BlockData data);
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // Writes the whole image; throws std::runtime_error naming the file when that fails.
    void Save(const std::string& path) const;

  private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace modemsim
