#include "image/file_failure.h"

#include <string>

#include "image/preparation_error.h"

namespace flash410::image {

void FailOnFile(const platform::FileError& failure) {
    // A prepared image that another program has open is, in all likelihood, being sent by another upload
    // of the same file; the system's "access denied" would not tell the operator what to do.
    const std::string reason = failure.InUse()
                                   ? "another upload is using it; wait for that upload to end, then try again"
                                   : failure.Reason();
    throw PreparationError("Cannot " + std::string(platform::ActionVerb(failure.Action())) + " " +
                           failure.Path().string() + ": " + reason);
}

}  // namespace flash410::image
