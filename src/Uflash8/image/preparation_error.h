#pragma once

#include <stdexcept>
#include <string>

namespace flash410::image {

// Stops an image preparation. The message is for the operator: it names the file, the line where one
// is at fault, and the reason.
class PreparationError : public std::runtime_error {
  public:
    explicit PreparationError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace flash410::image
