#include "cli/system_conventions.h"

namespace flash410::cli {

// On Linux a COM number stands for the device the window maps it to.
const SystemConventions kLinuxConventions{
    .HighestPort = 19,
    .ComDeviceNames = false,
};

// On Windows a COM number is the system's own COM port.
const SystemConventions kWindowsConventions{
    .HighestPort = 255,
    .ComDeviceNames = true,
};

}  // namespace flash410::cli
