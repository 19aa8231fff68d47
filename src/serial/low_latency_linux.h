// USB-serial adapters hold received bytes back for up to 16 ms before passing them on, which a
// stop-and-wait dialogue pays at every block. The driver is asked to pass them on at once: ASYNC_LOW_LATENCY
// in the serial flags. Drivers without serial flags (a pseudo-terminal) refuse, which changes nothing.
#pragma once

#include <linux/serial.h>

#include <functional>

namespace flash410::serial {

// The driver's TIOCGSERIAL or TIOCSSERIAL on fd: 0, or -1 with errno set, as ioctl answers.
using SerialInfoCall = std::function<int(int fd, unsigned long request, serial_struct& info)>;

int SystemSerialInfoCall(int fd, unsigned long request, serial_struct& info);

// Reads the serial flags and writes them back with low latency added; 0, or the errno of the refusal.
int RequestLowLatency(int fd, const SerialInfoCall& call);

}  // namespace flash410::serial
