#include "serial/serial_device_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <optional>

#include "platform/system_error_text.h"
#include "serial/device_holders.h"
#include "serial/line_settings_posix.h"
#include "serial/permission_hint_posix.h"

namespace flash410::serial {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kDeviceTag = 1;
constexpr std::uint64_t kWakeTag = 2;
// How often the driver's line counters are looked at while a real port is open; the driver offers no
// wait for them that a close could interrupt.
constexpr int kLineCounterPollMs = 100;

// A failure of a device that was open: these errors mean the device itself has gone (an adapter pulled
// out, the far end of a pseudo-terminal closed).
SystemError Failure(int error) {
    const bool gone = error == EIO || error == ENXIO || error == ENODEV || error == EBADF || error == EPIPE;
    return {gone ? ErrorKind::kGone : ErrorKind::kOther, error, platform::SystemErrorText(error)};
}

SystemError Outcome(int error) {
    return error == 0 ? SystemError{} : Failure(error);
}

SystemError OpenFailure(int error) {
    ErrorKind kind = ErrorKind::kOther;
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            kind = ErrorKind::kMissing;
            break;
        case EACCES:
        case EPERM:
            kind = ErrorKind::kPermission;
            break;
        case EBUSY:
            kind = ErrorKind::kBusy;
            break;
        case ENOTTY:
            kind = ErrorKind::kNotSerialPort;
            break;
        default:
            break;
    }
    return {kind, error, platform::SystemErrorText(error)};
}

// Where a standard stream was closed a new descriptor would take its number, and text the program means
// for the screen would go to the modem: the descriptor moves above them. Keeps errno on failure.
int AboveStandardStreams(int fd) {
    if (fd < 0 || fd > STDERR_FILENO) {
        return fd;
    }
    platform::UniqueFd low(fd);
    const int moved = ::fcntl(low.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int error = errno;
    low.Reset();
    errno = error;
    return moved;
}

}  // namespace

std::unique_ptr<SerialDevice> MakePlatformSerialDevice() {
    return std::make_unique<LinuxSerialDevice>();
}

SystemError LinuxSerialDevice::Open(const std::string& path) {
    busyHolders_.clear();
    arrivals_.Reset();
    if (path.empty()) {
        return OpenFailure(ENODEV);
    }
    fd_.Reset(AboveStandardStreams(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)));
    if (!fd_.valid()) {
        return OpenFailure(errno);
    }
    if (!isatty(fd_.get())) {
        fd_.Reset();
        return OpenFailure(ENOTTY);
    }
    if (const int error = CheckExclusive(path); error != 0) {
        fd_.Reset();
        return OpenFailure(error);
    }
    // Whatever reached the line while no program had it open belongs to nobody's dialogue.
    (void)tcflush(fd_.get(), TCIFLUSH);
    // USB-serial adapters otherwise hold received bytes back for up to 16 ms; a driver that cannot pass
    // them on sooner refuses, and the port works as it is.
    (void)RequestLowLatency(fd_.get(), serialInfo_);
    if (const int error = PrepareEventWait(); error != 0) {
        Close();
        return OpenFailure(error);
    }
    hasLineCounters_ = ioctl(fd_.get(), TIOCGICOUNT, &lastCounters_) == 0;
    return {};
}

int LinuxSerialDevice::CheckExclusive(const std::string& path) {
    // The lock keeps out every program that locks too (and a second component of this one); the scan
    // catches those that do not, such as a terminal program or ModemManager.
    if (flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error != EWOULDBLOCK) {
            return error;
        }
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) {
            busyHolders_ = DescribeHolders(FindRivalDeviceHolders(info.st_rdev));
        }
        return EBUSY;
    }
    struct stat info {};
    if (fstat(fd_.get(), &info) == 0) {
        const auto holders = FindRivalDeviceHolders(info.st_rdev);
        if (!holders.empty()) {
            busyHolders_ = DescribeHolders(holders);
            return EBUSY;
        }
    }
    // Later opens by others are refused by the driver itself (root excepted).
    (void)ioctl(fd_.get(), TIOCEXCL);
    return 0;
}

int LinuxSerialDevice::PrepareEventWait() {
    wakeFd_.Reset(AboveStandardStreams(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)));
    epollFd_.Reset(AboveStandardStreams(epoll_create1(EPOLL_CLOEXEC)));
    if (!wakeFd_.valid() || !epollFd_.valid()) {
        return errno;
    }
    epoll_event deviceEvent{};
    deviceEvent.events = EPOLLIN | EPOLLET;  // one report per arrival, whether or not earlier bytes were read
    deviceEvent.data.u64 = kDeviceTag;
    epoll_event wakeEvent{};
    wakeEvent.events = EPOLLIN;
    wakeEvent.data.u64 = kWakeTag;
    if (epoll_ctl(epollFd_.get(), EPOLL_CTL_ADD, fd_.get(), &deviceEvent) != 0 ||
        epoll_ctl(epollFd_.get(), EPOLL_CTL_ADD, wakeFd_.get(), &wakeEvent) != 0) {
        return errno;
    }
    return 0;
}

SystemError LinuxSerialDevice::SetQueueSizes(std::uint16_t, std::uint16_t) {
    // Nothing to do: the kernel sizes a terminal's receive and transmit queues itself and offers no call
    // to change them.
    return {};
}

SystemError LinuxSerialDevice::ApplyControlBlock(const DeviceControlBlock& dcb) {
    baudrate_ = dcb.BaudRate;
    return Outcome(ApplyLineSettings(fd_.get(), dcb));
}

SystemError LinuxSerialDevice::SetTimeouts(const CommTimeouts&) {
    // Reads never wait (non-blocking descriptor, no minimum count) and each write waits only for its own
    // bound, so there is nothing to hand to the driver.
    return {};
}

bool LinuxSerialDevice::SetOutSignal(OutSignal signal, bool on) {
    int bits = signal == OutSignal::kRts ? TIOCM_RTS : TIOCM_DTR;
    return ioctl(fd_.get(), on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

SystemError LinuxSerialDevice::Purge() {
    // Bytes still queued for the line are dropped: after a close nothing more reaches the modem.
    return tcflush(fd_.get(), TCIOFLUSH) == 0 ? SystemError{} : Failure(errno);
}

void LinuxSerialDevice::Wake() {
    const std::uint64_t one = 1;
    (void)!::write(wakeFd_.get(), &one, sizeof one);
}

SystemError LinuxSerialDevice::SetEventMask(std::uint32_t mask) {
    mask_ = mask;
    Wake();
    return {};
}

std::uint32_t LinuxSerialDevice::LineCounterEvents() {
    serial_icounter_struct counters{};
    if (!hasLineCounters_ || ioctl(fd_.get(), TIOCGICOUNT, &counters) != 0) {
        return 0;
    }
    std::uint32_t events = 0;
    if (counters.cts != lastCounters_.cts)
        events |= line_event::kCts;
    if (counters.dsr != lastCounters_.dsr)
        events |= line_event::kDsr;
    if (counters.dcd != lastCounters_.dcd)
        events |= line_event::kRlsd;
    if (counters.brk != lastCounters_.brk)
        events |= line_event::kBreak;
    if (counters.rng != lastCounters_.rng)
        events |= line_event::kRing;
    lastCounters_ = counters;
    return events;
}

bool LinuxSerialDevice::NewBytesArrived() {
    const std::optional<bool> arrived =
        arrivals_.ArrivedSinceLastReport([this]() -> std::optional<std::uint64_t> {
            int waiting = 0;
            if (ioctl(fd_.get(), FIONREAD, &waiting) != 0) {
                return std::nullopt;
            }
            return static_cast<std::uint64_t>(std::max(waiting, 0));
        });
    return arrived.value_or(true);  // cannot tell: let the handler look
}

int LinuxSerialDevice::TxDrainWaitMs() {
    int outQueue = 0;
    if (ioctl(fd_.get(), TIOCOUTQ, &outQueue) != 0 || outQueue <= 0) {
        return 0;
    }
    const std::uint32_t baud = std::max<std::uint32_t>(baudrate_, 110);
    const auto ms = static_cast<int>(static_cast<std::uint64_t>(outQueue) * 10'000 / baud);
    return std::clamp(ms, 1, kLineCounterPollMs);
}

EventWaitResult LinuxSerialDevice::WaitEvents() {
    for (;;) {
        std::uint32_t mask = mask_;
        if (mask == 0) {
            return {};
        }
        int timeoutMs = hasLineCounters_ ? kLineCounterPollMs : -1;
        if ((mask & line_event::kTxEmpty) != 0 && txPending_) {
            const int drainMs = TxDrainWaitMs();
            if (drainMs == 0) {
                txPending_ = false;
                return {line_event::kTxEmpty, {}};
            }
            timeoutMs = timeoutMs < 0 ? drainMs : std::min(timeoutMs, drainMs);
        }
        std::array<epoll_event, 2> ready{};
        const int count = epoll_wait(epollFd_.get(), ready.data(), static_cast<int>(ready.size()), timeoutMs);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {0, Failure(errno)};
        }
        std::uint32_t events = 0;
        for (int i = 0; i < count; ++i) {
            if (ready[i].data.u64 == kWakeTag) {
                std::uint64_t drained = 0;
                (void)!::read(wakeFd_.get(), &drained, sizeof drained);
                continue;
            }
            if ((ready[i].events & (EPOLLHUP | EPOLLERR)) != 0) {
                return {0, Failure(EIO)};
            }
            if ((ready[i].events & EPOLLIN) != 0 && NewBytesArrived()) {
                events |= line_event::kRxChar;
            }
        }
        events |= LineCounterEvents();
        mask = mask_;
        if (mask == 0) {
            return {};
        }
        if ((events & mask) != 0) {
            return {events & mask, {}};
        }
    }
}

ModemLines LinuxSerialDevice::ReadModemLines() {
    int lines = 0;
    if (ioctl(fd_.get(), TIOCMGET, &lines) != 0) {
        return {};
    }
    return {(lines & TIOCM_CTS) != 0, (lines & TIOCM_DSR) != 0, (lines & TIOCM_CD) != 0};
}

SystemError LinuxSerialDevice::QueueCounts(std::int32_t& rxWaiting, std::int32_t& txWaiting) {
    int in = 0;
    int out = 0;
    if (ioctl(fd_.get(), FIONREAD, &in) != 0 || ioctl(fd_.get(), TIOCOUTQ, &out) != 0) {
        rxWaiting = 0;
        txWaiting = 0;
        return Failure(errno);
    }
    rxWaiting = in;
    txWaiting = out;
    return {};
}

TransferResult LinuxSerialDevice::Write(const std::uint8_t* data, std::size_t length, std::uint32_t boundMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    std::size_t written = 0;
    TransferResult result;
    while (written < length) {
        const ssize_t count = ::write(fd_.get(), data + written, length - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && errno != EAGAIN) {
            result.error = Failure(errno);
            break;
        }
        // The driver's queue is full: wait for room until the bound.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            result.error = Failure(ETIMEDOUT);
            result.timedOut = true;
            break;
        }
        pollfd waitForRoom{fd_.get(), POLLOUT, 0};
        if (poll(&waitForRoom, 1, static_cast<int>(left)) < 0 && errno != EINTR) {
            result.error = Failure(errno);
            break;
        }
    }
    result.count = written;
    if (written > 0 && !txPending_.exchange(true) && (mask_ & line_event::kTxEmpty) != 0) {
        Wake();
    }
    return result;
}

TransferResult LinuxSerialDevice::Read(std::uint8_t* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t count = ::read(fd_.get(), buffer, capacity);
        if (count >= 0) {
            arrivals_.CountTaken(static_cast<std::size_t>(count));
            return {static_cast<std::size_t>(count), {}, false};
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN) {
            return {};
        }
        return {0, Failure(errno), false};
    }
}

SystemError LinuxSerialDevice::Close() {
    epollFd_.Reset();
    wakeFd_.Reset();
    hasLineCounters_ = false;
    txPending_ = false;
    return fd_.Reset() == 0 ? SystemError{} : Failure(errno);
}

OpenFailureDetail LinuxSerialDevice::DescribeOpenFailure(const SystemError& error,
                                                         const std::string& path) const {
    switch (error.kind) {
        case ErrorKind::kBusy:
            return {busyHolders_, {}};
        case ErrorKind::kPermission:
            return {{}, PermissionHintFor(path)};
        default:
            return {};
    }
}

}  // namespace flash410::serial
