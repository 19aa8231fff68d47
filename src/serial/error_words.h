// The operator's words for the serial component's failures: one text for each kind of failure, the same
// on every system. A backend adds only what its system alone knows (OpenFailureDetail) and the system's
// own text for the error (SystemError::text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "serial/serial_device.h"

namespace flash410::serial {

// "Cannot open COM5 (/dev/ttyUSB0): Device or resource busy. It is in use by minicom (process 41). Close
// that program and try again."
std::string OpenFailureText(const std::string& port, const SystemError& error,
                            const OpenFailureDetail& detail);

// A call on an open port that failed; doing names the call: "Error setting the line parameters of COM5:
// Input/output error."
std::string DeviceFailureText(const std::string& doing, const std::string& port, const SystemError& error);

// The device went while the port was open, and the port has been closed.
std::string DeviceGoneText(const std::string& port, const SystemError& error);

// A write of length bytes of which the line took only taken within boundMs.
std::string WriteStalledText(const std::string& port, std::size_t taken, std::size_t length,
                             std::uint32_t boundMs);

}  // namespace flash410::serial
