// One spelling for every name of a device, so that two names can be seen to be one port: on Linux the
// path with every link followed ("ports/com5" -> "/dev/ttyUSB0"), on Windows the port's reservation name
// ("\\.\com5" and "COM5" -> "COM5"). Never opens the device.
#pragma once

#include <string>

namespace flash410::serial {

std::string DeviceIdentity(const std::string& devicePath);

}  // namespace flash410::serial
