// The line as the modem's flash loader speaks it: eight data bits and no parity check. The upload session
// sets its port up with this one function.
#pragma once

#include "serial/serial_port.h"

namespace flash410::upload {

// Inline, so that the serial component's tests, which are also built without this library, set their
// port up the same way.
inline void ConfigureLine(serial::SerialPort& port) {
    port.SetDataBits(serial::DataBits::kEight);
    port.SetCheckParity(false);
}

}  // namespace flash410::upload
