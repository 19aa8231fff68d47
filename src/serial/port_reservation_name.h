// The one name under which a serial device is reserved while it is open (port_reservation_win32.h):
// every spelling of the same device gives the same name, so that "\\.\COM5", "\\.\com5" and "COM5" are
// seen as one port.
#pragma once

#include <string>

namespace flash410::serial {

// The device path without its device prefix ("\\.\", "\\?\", either slash), in capitals (Windows
// knows device names regardless of case), a trailing ":" dropped ("COM5:") and each path separator as
// "/", as a kernel object's name may hold no backslash. A name too long for a kernel object keeps its
// start and ends in a digest of the whole.
std::string PortReservationName(const std::string& devicePath);

}  // namespace flash410::serial
