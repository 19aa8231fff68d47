// The device control block: the line settings the component hands to the driver, laid out as the
// Windows DCB so that each platform backend translates one plain value.
#pragma once

#include <cstdint>

#include "serial/serial_types.h"

namespace flash410::serial {

// Bits of the DCB flag word.
namespace dcb_flag {
inline constexpr std::uint32_t kBinary = 0x0001;
inline constexpr std::uint32_t kParity = 0x0002;
inline constexpr std::uint32_t kOutxCtsFlow = 0x0004;
inline constexpr std::uint32_t kOutxDsrFlow = 0x0008;
inline constexpr std::uint32_t kDtrControlHandshake = 0x0020;  // fDtrControl = 2
inline constexpr std::uint32_t kOutX = 0x0100;
inline constexpr std::uint32_t kInX = 0x0200;
inline constexpr std::uint32_t kRtsControlHandshake = 0x2000;  // fRtsControl = 2
}  // namespace dcb_flag

struct DeviceControlBlock {
    std::uint32_t DCBlength = 0;
    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0;
    std::uint16_t wReserved = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;    // 0..4: none, odd, even, mark, space
    std::uint8_t StopBits = 0;  // 0: one stop bit, 2: two stop bits
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    std::uint16_t wReserved1 = 0;

    bool operator==(const DeviceControlBlock&) const = default;
};

struct LineSettings {
    std::int32_t Baudrate = 9600;
    serial::Parity Parity = serial::Parity::kNone;
    serial::DataBits DataBits = serial::DataBits::kSeven;
    serial::StopBits StopBits = serial::StopBits::kOne;
    std::uint16_t RxQueueSize = 1024;
    FlowControl FlowMode = FlowControl::kNone;
    bool CheckParity = true;
};

DeviceControlBlock MakeDeviceControlBlock(const LineSettings& settings);

// The time-outs handed to the driver with the control block.
struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// Reads return at once with what has arrived; writes get a 10 s time-out only under flow control.
CommTimeouts MakeCommTimeouts(FlowControl flow, CommTimeouts previous);

// How long WriteString waits for its write: length x (20000 div baudrate) ms, at least 500 ms.
std::uint32_t WriteStringBoundMs(std::size_t length, std::int32_t baudrate);
inline constexpr std::uint32_t kWriteCharBoundMs = 1000;
// How long Write waits for a buffer: its wire time at the baud (ten bits a byte), rounded up to whole
// milliseconds, plus a second for the driver and the adapter.
std::uint32_t WriteBufferBoundMs(std::size_t length, std::int32_t baudrate);

bool IsValidBaudrate(std::int32_t baudrate);

}  // namespace flash410::serial
