#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace flash410::image {

// Stops an image preparation. The message is for the operator: it names the file, the line where one
// is at fault, and the reason.
class PreparationError : public std::runtime_error {
  public:
    explicit PreparationError(const std::string& message) : std::runtime_error(message) {}
};

// Why a file whose upload image would have no block is refused: the modem would be erased and get
// nothing. bytesOutside counts data that lay beyond the 4 MiB flash, if any.
inline std::string NoDataForFlash(const std::filesystem::path& file, std::uint64_t bytesOutside = 0) {
    std::string reason = file.string() + " holds no data for the flash";
    if (bytesOutside > 0) {
        reason += ": its " + std::to_string(bytesOutside) + " bytes of data lie beyond the 4 MiB flash";
    }
    return reason;
}

}  // namespace flash410::image
