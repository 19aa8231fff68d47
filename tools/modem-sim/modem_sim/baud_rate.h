// Line timing: how long a byte takes at a baud rate, and the rate a terminal is set to.
#pragma once

#include <termios.h>

#include <chrono>

namespace modemsim {

// One byte is 10 bits on the line: start bit, 8 data bits, stop bit. Baud 0 gives 0 (unpaced).
std::chrono::nanoseconds ByteTime(int baud);

// The rate of a termios speed constant; 0 for B0 or a constant not known here.
int SpeedToBaud(speed_t speed);

}  // namespace modemsim
