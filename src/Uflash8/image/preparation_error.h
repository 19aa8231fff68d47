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
// nothing. bytes_outside counts data that lay beyond the 4 MiB flash, if any.
inline std::string NoDataForFlash(const std::filesystem::path& file, std::uint64_t bytes_outside = 0) {
    std::string reason = file.string() + " holds no data for the flash";
    if (bytes_outside > 0) {
        reason += ": its " + std::to_string(bytes_outside) + " bytes of data lie beyond the 4 MiB flash";
    }
    return reason;
}

}  // namespace flash410::image
