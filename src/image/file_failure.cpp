#include "image/file_failure.h"

#include <system_error>

#include "image/preparation_error.h"

namespace flash410::image {

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

void FailOnFile(const std::string& action, const std::filesystem::path& name, const std::string& reason) {
    throw PreparationError("Cannot " + action + " " + name.string() + ": " + reason);
}

}  // namespace flash410::image
