// The enumerations, port number type and notification types of the serial port component.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace serial4 {

class TSerial;

enum class eParity : std::uint8_t { paNone, PaOdd, paEven, paMark, paSpace };
enum class eDataBits : std::uint8_t { d7bit, d8bit };
enum class eStopBits : std::uint8_t { st1bit, st2bit };
enum class eFlowControl : std::uint8_t { fcNone, fcRTS_CTS, fcDTR_DSR, fcXON_XOF };
enum class eOpModes : std::uint8_t { rxNormal, rxMessage };
enum class eNotifyErr : std::uint8_t { neDialog, neEvent, neNone };
enum class eModemInSignal : std::uint8_t { msCTS, msDSR, msRLSD };

// Port numbers: any value 0..255 is stored; the program uses 1 to 19.
using sPorts = std::uint8_t;  // NOLINT(readability-identifier-naming): the component's published type name

// The notification types keep the argument names their handlers are documented with.
// NOLINTBEGIN(readability-identifier-naming)
using TNotifyEvent = std::function<void(TSerial* Sender)>;
using TRxMessageEvent = std::function<void(TSerial* Sender, const std::string& RxMessage)>;
using TSignalChangeEvent = std::function<void(TSerial* Sender, eModemInSignal Signal, bool SignalState)>;
// NOLINTEND(readability-identifier-naming)
using TWriteCompletedEvent = std::function<void()>;

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

}  // namespace serial4
