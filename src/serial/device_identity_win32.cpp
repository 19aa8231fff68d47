#include "serial/device_identity.h"
#include "serial/port_reservation_name.h"

namespace flash410::serial {

// Windows device names are not files: asking the file system to resolve "\\.\COM5" would open the port.
std::string DeviceIdentity(const std::string& devicePath) {
    return PortReservationName(devicePath);
}

}  // namespace flash410::serial
