// The platform device behind SerialPort: one open serial port. Each platform supplies its backend
// (serial_device_linux.cpp, serial_device_win32.cpp) and MakePlatformSerialDevice.
//
// Threads: the event thread calls WaitEvents and ReadModemLines while the user-interface thread writes,
// reads and changes settings; implementations make those calls safe to overlap. Every other call comes
// from the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "serial/device_control_block.h"

namespace flash410::serial {

// What kind of failure a backend met, the same on every system (error_words.h gives each its words).
enum class ErrorKind : std::uint8_t {
    kNone,
    kPermission,     // the user may not open the device
    kBusy,           // another program has the device
    kMissing,        // there is no such device
    kNotSerialPort,  // the device is something other than a serial port
    kGone,           // the device itself has gone (an adapter pulled out, the far end closed)
    kOther,
};

// The outcome of a device call: no error (kind kNone), or its portable kind with the system's own code
// (errno on POSIX, GetLastError on Windows) and the system's text for it, without a closing full stop.
struct SystemError {
    ErrorKind kind = ErrorKind::kNone;
    int code = 0;
    std::string text;

    explicit operator bool() const { return kind != ErrorKind::kNone; }
};

struct ModemLines {
    bool cts = false;
    bool dsr = false;
    bool rlsd = false;
};

struct EventWaitResult {
    std::uint32_t events = 0;  // line_event bits
    SystemError error;         // the wait failed: the device is no longer usable
};

// What only the system can add to the words for a refused open (serial/error_words.h).
struct OpenFailureDetail {
    // kBusy: the programs that hold the device, "minicom (process 41)"; empty when unknown.
    std::string holders;
    // kPermission: how this system would let the user in ("Only members of the group 'dialout' may use
    // ..."); empty when it has no advice of its own.
    std::string accessAdvice;
};

struct TransferResult {
    std::size_t count = 0;  // bytes written or read
    SystemError error;
    bool timedOut = false;  // a write whose bound passed before the driver took every byte
};

class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // Opens the device exclusively; on failure returns the error and the device stays closed. Its kind
    // says why: kMissing, kPermission, kBusy, kNotSerialPort or kOther.
    virtual SystemError Open(const std::string& path) = 0;
    virtual SystemError SetQueueSizes(std::uint16_t rx, std::uint16_t tx) = 0;
    virtual SystemError ApplyControlBlock(const DeviceControlBlock& dcb) = 0;
    virtual SystemError SetTimeouts(const CommTimeouts& timeouts) = 0;
    virtual bool SetOutSignal(OutSignal signal, bool on) = 0;
    // Aborts pending transfers; bytes not yet on the line are not sent.
    virtual SystemError Purge() = 0;
    // Chooses the watched events; an empty mask ends a pending WaitEvents at once.
    virtual SystemError SetEventMask(std::uint32_t mask) = 0;
    // Blocks until a watched event occurs or the mask is emptied (then events is 0).
    virtual EventWaitResult WaitEvents() = 0;
    virtual ModemLines ReadModemLines() = 0;
    virtual SystemError QueueCounts(std::int32_t& rxWaiting, std::int32_t& txWaiting) = 0;
    // Hands the bytes to the driver, waiting at most boundMs for it to take them all.
    virtual TransferResult Write(const std::uint8_t* data, std::size_t length, std::uint32_t boundMs) = 0;
    // Takes what has arrived, up to capacity bytes, in one call of the driver, without waiting for data.
    virtual TransferResult Read(std::uint8_t* buffer, std::size_t capacity) = 0;
    virtual SystemError Close() = 0;

    // What this system alone knows of an error of Open, such as which program holds a busy device.
    virtual OpenFailureDetail DescribeOpenFailure(const SystemError& /*error*/,
                                                  const std::string& /*path*/) const {
        return {};
    }
};

std::unique_ptr<SerialDevice> MakePlatformSerialDevice();

}  // namespace flash410::serial
