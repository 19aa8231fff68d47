// The serial device on Linux: a terminal device opened non-blocking and exclusively, watched with
// edge-triggered epoll plus an eventfd that ends the wait when the event mask is emptied.
#pragma once

#include <linux/serial.h>

#include <atomic>
#include <mutex>
#include <string>
#include <utility>

#include "platform/unique_fd.h"
#include "serial/arrival_count.h"
#include "serial/low_latency_linux.h"
#include "serial/serial_device.h"

namespace flash410::serial {

class LinuxSerialDevice final : public SerialDevice {
  public:
    // serialInfo reaches the driver's serial flags (a test sees through it what is asked of the driver).
    explicit LinuxSerialDevice(SerialInfoCall serialInfo = SystemSerialInfoCall)
        : serialInfo_(std::move(serialInfo)) {}

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
    OpenFailureDetail DescribeOpenFailure(const SystemError& error, const std::string& path) const override;

  private:
    // Both return 0 or the errno value.
    int CheckExclusive(const std::string& path);
    int PrepareEventWait();
    void Wake();
    // Line-change, break and ring bits since the last call, from the driver's interrupt counters.
    std::uint32_t LineCounterEvents();
    int TxDrainWaitMs();
    // Whether bytes have arrived since the last report: the driver also wakes the wait when nothing
    // new came in (a wake-up on the sending side while unread bytes wait).
    bool NewBytesArrived();

    SerialInfoCall serialInfo_;
    platform::UniqueFd fd_;
    platform::UniqueFd wakeFd_;
    platform::UniqueFd epollFd_;
    std::atomic<std::uint32_t> mask_{0};
    std::atomic<bool> txPending_{false};
    std::atomic<std::uint32_t> baudrate_{9600};
    ArrivalCount arrivals_;
    // Whether the driver keeps modem-line, break and ring counters (a pseudo-terminal does not).
    bool hasLineCounters_ = false;
    serial_icounter_struct lastCounters_{};  // the event thread's own
    std::string busyHolders_;
};

}  // namespace flash410::serial
