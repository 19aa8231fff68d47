// The serial device on Windows: the port reserved (port_reservation_win32.h) and opened unshared for
// overlapped transfers. Reads take what has arrived and never wait, writes wait for their bound and are
// cancelled after it, and the line events come from an overlapped WaitCommEvent waited on together with
// a wake-up event of the device's own, which a close or an emptied event mask sets. Received bytes and an
// emptied transmit queue are also read from the queue counts now and then: not every driver reports them
// to WaitCommEvent (Wine's does not on a pseudo-terminal).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/unique_handle_win32.h"
#include "serial/arrival_count.h"
#include "serial/port_reservation_win32.h"
#include "serial/serial_device.h"

namespace flash410::serial {

class Win32SerialDevice final : public SerialDevice {
  public:
    Win32SerialDevice() = default;
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;
    ~Win32SerialDevice() override;

    SystemError Open(const std::string& path) override;
    SystemError SetQueueSizes(std::uint16_t rx, std::uint16_t tx) override;
    SystemError ApplyControlBlock(const DeviceControlBlock& dcb) override;
    SystemError SetTimeouts(const CommTimeouts& timeouts) override;
    bool SetOutSignal(OutSignal signal, bool on) override;
    SystemError Purge() override;
    SystemError SetEventMask(std::uint32_t mask) override;
    EventWaitResult WaitEvents() override;
    ModemLines ReadModemLines() override;
    SystemError QueueCounts(std::int32_t& rxWaiting, std::int32_t& txWaiting) override;
    TransferResult Write(const std::uint8_t* data, std::size_t length, std::uint32_t boundMs) override;
    TransferResult Read(std::uint8_t* buffer, std::size_t capacity) override;
    SystemError Close() override;

  private:
    // Waits for an overlapped transfer that did not finish at once, at most boundMs, and cancels it when
    // the bound passes. Returns the count moved and whether the bound passed; error is set on failure.
    TransferResult FinishTransfer(OVERLAPPED& transfer, DWORD boundMs);
    // Ends a WaitCommEvent still under way, so that its record may be used again.
    void CancelEventWait();
    // The received-character and transmit-empty events that the queue counts show since the last call.
    EventWaitResult QueueEvents();

    // Declared before the port, so that a device dropped while open closes the port before it lets the
    // reservation go.
    PortReservation reservation_;
    platform::UniqueHandle port_;
    // Manual-reset completion events: one per kind of transfer, as the two threads overlap.
    platform::UniqueHandle readDone_;
    platform::UniqueHandle writeDone_;
    platform::UniqueHandle eventDone_;
    // Auto-reset: ends the event thread's wait.
    platform::UniqueHandle wake_;
    std::atomic<std::uint32_t> mask_{0};
    std::atomic<bool> txPending_{false};
    ArrivalCount arrivals_;
    // The event thread's own: the pending WaitCommEvent and where the driver puts its events.
    OVERLAPPED eventWait_{};
    DWORD commEvents_ = 0;
    bool eventWaitPending_ = false;
    bool driverWaits_ = true;  // false once the driver has refused WaitCommEvent
};

}  // namespace flash410::serial
