#include "platform/system_error_text.h"

#include <system_error>

namespace flash410::platform {

std::string SystemErrorText(int errorNumber) {
    // Not strerror, whose one buffer every thread shares: the serial threads ask too.
    return std::generic_category().message(errorNumber);
}

}  // namespace flash410::platform
