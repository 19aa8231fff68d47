// Windows error codes as the component's portable errors.
#pragma once

#include <windows.h>

#include <string>

#include "serial/serial_device.h"

namespace flash410::serial {

// A failure of a device that was open: gone when the code says the device has left (an adapter pulled
// out, the far end closed), otherwise other.
SystemError WindowsFailure(DWORD error);

// A failure to open a device: a port held by another program answers "access denied" or "sharing
// violation" on Windows, a port that does not exist "file not found".
SystemError WindowsOpenFailure(DWORD error);

}  // namespace flash410::serial
