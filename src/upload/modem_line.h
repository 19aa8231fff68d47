// The line as the modem's flash loader speaks it: eight data bits, no parity check, and messages that end
// with CR, as every reply line does. Every front end sets its port up with this one function; the port
// map and the receive notification are each front end's own.
#pragma once

#include "serial/serial_port.h"

namespace flash410::upload {

// Inline, so that the serial component's tests, which are also built without this library, set their
// port up the same way.
inline void ConfigureLine(serial::SerialPort& port) {
    port.SetDataBits(serial::DataBits::kEight);
    port.SetCheckParity(false);
    port.MessageEndChar = '\r';
}

}  // namespace flash410::upload
