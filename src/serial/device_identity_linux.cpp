#include <filesystem>
#include <system_error>

#include "serial/device_identity.h"

namespace flash410::serial {

std::string DeviceIdentity(const std::string& devicePath) {
    std::error_code error;
    const std::filesystem::path final = std::filesystem::weakly_canonical(devicePath, error);
    return error ? devicePath : final.string();
}

}  // namespace flash410::serial
