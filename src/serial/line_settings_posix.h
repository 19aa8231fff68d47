// Line settings on a POSIX terminal device. Kept apart because the Linux interface for arbitrary rates
// (termios2) cannot share a translation unit with <termios.h>.
#pragma once

#include <cstdint>

#include "serial/device_control_block.h"
#include "serial/serial_device.h"

namespace flash410::serial {

// Sets rate, framing and flow control from the control block in raw mode: no echo, no line editing, no
// character translation, reads returning at once with what has arrived. Returns 0 or the errno value.
int ApplyLineSettings(int fd, const DeviceControlBlock& dcb);

// What the driver holds, for checks.
struct TerminalSettingsView {
    std::uint32_t inputSpeed = 0;
    std::uint32_t outputSpeed = 0;
    int dataBits = 0;
    bool parityEnabled = false;
    bool parityOdd = false;
    bool parityStick = false;  // mark or space parity
    bool parityChecked = false;
    bool twoStopBits = false;
    bool rtsCts = false;
    bool xonXoff = false;
    bool raw = false;  // no echo, no canonical mode, no translations, no output processing
    unsigned char xonChar = 0;
    unsigned char xoffChar = 0;
};
// Returns 0 or the errno value.
int ReadLineSettings(int fd, TerminalSettingsView& view);
// What ApplyLineSettings would hand to the driver.
TerminalSettingsView ViewOfLineSettings(const DeviceControlBlock& dcb);

}  // namespace flash410::serial
