// The enumerations, port number type and notification types of the serial port component.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace flash410::serial {

class SerialPort;

enum class Parity : std::uint8_t { kNone, kOdd, kEven, kMark, kSpace };
enum class DataBits : std::uint8_t { kSeven, kEight };
enum class StopBits : std::uint8_t { kOne, kTwo };
enum class FlowControl : std::uint8_t { kNone, kRtsCts, kDtrDsr, kXonXoff };
enum class ErrorNotification : std::uint8_t { kDialog, kEvent, kNone };
enum class ModemInSignal : std::uint8_t { kCts, kDsr, kRlsd };

// Port numbers: any value 0..255 is stored; the program uses 1 to 19 on Linux and 1 to 255 on Windows.
using PortNumber = std::uint8_t;

// What the component calls when something happens on the line.
using NotifyHandler = std::function<void(SerialPort* sender)>;
using SignalChangeHandler = std::function<void(SerialPort* sender, ModemInSignal signal, bool raised)>;

// Line events that the event thread watches, with the bit values of the Windows event mask.
namespace line_event {
inline constexpr std::uint32_t kRxChar = 0x0001;
inline constexpr std::uint32_t kTxEmpty = 0x0004;
inline constexpr std::uint32_t kCts = 0x0008;
inline constexpr std::uint32_t kDsr = 0x0010;
inline constexpr std::uint32_t kRlsd = 0x0020;
inline constexpr std::uint32_t kBreak = 0x0040;
inline constexpr std::uint32_t kRing = 0x0100;
// Everything the component watches while a port is open (received character, transmit queue empty,
// CTS, DSR, RLSD, break and ring).
inline constexpr std::uint32_t kWatched = 0x017D;
}  // namespace line_event

// The output lines that SetOutSignal raises and drops.
enum class OutSignal : int { kRts = 0, kDtr = 1 };

}  // namespace flash410::serial
