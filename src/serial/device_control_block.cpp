#include "serial/device_control_block.h"

#include <algorithm>
#include <array>

namespace flash410::serial {

namespace {
constexpr std::array<std::int32_t, 15> kValidBaudrates = {
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
}  // namespace

std::uint32_t WriteBufferBoundMs(std::size_t length, std::int32_t baudrate) {
    constexpr std::uint64_t kSlackMs = 1000;
    if (baudrate <= 0) {
        return static_cast<std::uint32_t>(kSlackMs);
    }
    const auto baud = static_cast<std::uint64_t>(baudrate);
    const std::uint64_t wireMs = (static_cast<std::uint64_t>(length) * 10'000 + baud - 1) / baud;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(wireMs + kSlackMs, 0xFFFFFFFFu));
}

bool IsValidBaudrate(std::int32_t baudrate) {
    return std::find(kValidBaudrates.begin(), kValidBaudrates.end(), baudrate) != kValidBaudrates.end();
}

DeviceControlBlock MakeDeviceControlBlock(const LineSettings& settings) {
    DeviceControlBlock dcb;
    dcb.DCBlength = 28;
    dcb.BaudRate = static_cast<std::uint32_t>(settings.Baudrate);
    dcb.Flags = dcb_flag::kBinary;
    if (settings.CheckParity) {
        dcb.Flags |= dcb_flag::kParity;
    }
    switch (settings.FlowMode) {
        case FlowControl::kRtsCts:
            dcb.Flags |= dcb_flag::kOutxCtsFlow | dcb_flag::kRtsControlHandshake;
            break;
        case FlowControl::kDtrDsr:
            dcb.Flags |= dcb_flag::kOutxDsrFlow | dcb_flag::kDtrControlHandshake;
            break;
        case FlowControl::kXonXoff:
            dcb.Flags |= dcb_flag::kOutX | dcb_flag::kInX;
            break;
        case FlowControl::kNone:
            break;
    }
    dcb.XonLim = static_cast<std::uint16_t>(settings.RxQueueSize / 3);
    dcb.XoffLim = static_cast<std::uint16_t>(settings.RxQueueSize / 3);
    dcb.ByteSize = settings.DataBits == DataBits::kEight ? 8 : 7;
    dcb.Parity = static_cast<std::uint8_t>(settings.Parity);
    dcb.StopBits = settings.StopBits == StopBits::kTwo ? 2 : 0;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    dcb.ErrorChar = 63;
    return dcb;
}

CommTimeouts MakeCommTimeouts(FlowControl flow, CommTimeouts previous) {
    CommTimeouts timeouts = previous;
    timeouts.ReadIntervalTimeout = 0xFFFFFFFFu;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    if (flow != FlowControl::kNone) {
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = 10000;
    }
    return timeouts;
}

std::uint32_t WriteStringBoundMs(std::size_t length, std::int32_t baudrate) {
    const std::uint64_t perChar = baudrate > 0 ? static_cast<std::uint64_t>(20000 / baudrate) : 0;
    const std::uint64_t bound = static_cast<std::uint64_t>(length) * perChar;
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(bound, 500, 0xFFFFFFFFu));
}

}  // namespace flash410::serial
