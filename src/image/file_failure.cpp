#include "image/file_failure.h"

#include <string>

#include "image/preparation_error.h"

namespace flash410::image {

void FailOnFile(const platform::FileError& failure) {
    throw PreparationError("Cannot " + std::string(platform::ActionVerb(failure.Action())) + " " +
                           failure.Path().string() + ": " + failure.Reason());
}

}  // namespace flash410::image
