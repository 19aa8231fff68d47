#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace flash410::image {

// Stops an image preparation. The message is for the operator: it names the file, the line where one
// is at fault, and the reason. It is the image library's one error form: every failure to read, convert,
// check or write a firmware file throws it, and nothing else is thrown.
class PreparationError : public std::runtime_error {
  public:
    explicit PreparationError(const std::string& message) : std::runtime_error(message) {}
};

// The operator stopped a preparation before it ended; nothing it would have written remains.
class PreparationStopped : public PreparationError {
  public:
    explicit PreparationStopped(const std::string& file)
        : PreparationError("The preparation of " + file + " was stopped; no file was changed") {}
};

// Why a file whose upload image would have no block is refused: the modem would be erased and get
// nothing.
inline std::string NoDataForFlash(const std::filesystem::path& file) {
    return file.string() + " holds no data for the flash";
}

}  // namespace flash410::image
