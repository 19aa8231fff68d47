#include "modem_sim/terminal_line.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

#include "modem_sim/baud_rate.h"
#include "platform/unique_fd.h"

namespace modemsim {
namespace {

// While nobody has the port open the master reports a hang-up at once, so look again after a short
// sleep rather than spin.
constexpr auto kDetachedPollInterval = std::chrono::milliseconds(15);
// How long the kernel may take, at worst in practice, to pass written bytes on to the device side.
constexpr auto kSettleTime = std::chrono::milliseconds(150);

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

short PollNow(int fd, short events) {
    pollfd watched{fd, events, 0};
    while (::poll(&watched, 1, 0) < 0) {
        if (errno != EINTR) {
            Fail("polling the pseudo-terminal");
        }
    }
    return watched.revents;
}

}  // namespace

TerminalLine::TerminalLine(int master, int stopFd, LinePacing pacing)
    : master_(master), stopFd_(stopFd), pacing_(pacing) {}

bool TerminalLine::WaitForAttach() {
    for (;;) {
        if (StopRequested(stopFd_)) {
            return false;
        }
        const short events = PollNow(master_, POLLIN);
        if ((events & POLLHUP) == 0 || (events & POLLIN) != 0) {
            return true;
        }
        if (!SleepFor(stopFd_, kDetachedPollInterval)) {
            return false;
        }
    }
}

ModemLine::Received TerminalLine::Receive(std::optional<Clock::time_point> deadline) {
    for (;;) {
        if (!queue_.empty()) {
            const Pending next = queue_.front();
            if (deadline && next.delivery > *deadline) {
                return {SleepUntil(stopFd_, *deadline) ? Status::kTimedOut : Status::kStopped, 0};
            }
            if (!SleepUntil(stopFd_, next.delivery)) {
                return {Status::kStopped, 0};
            }
            queue_.pop_front();
            ++received_;
            return {Status::kOk, next.byte};
        }
        const Status status = FillQueue(deadline);
        if (status != Status::kOk) {
            return {status, 0};
        }
    }
}

ModemLine::Status TerminalLine::FillQueue(std::optional<Clock::time_point> deadline) {
    std::array<pollfd, 2> watched{{{master_, POLLIN, 0}, {stopFd_, POLLIN, 0}}};
    timespec timeout{};
    if (deadline) {
        timeout = ToTimespec(*deadline - Clock::now());
    }
    const int ready = ::ppoll(watched.data(), watched.size(), deadline ? &timeout : nullptr, nullptr);
    if (ready < 0) {
        if (errno == EINTR) {
            return Status::kOk;
        }
        Fail("waiting for the program's bytes");
    }
    if (watched[1].revents != 0) {
        return Status::kStopped;
    }
    if (ready == 0) {
        return Status::kTimedOut;
    }
    if ((watched[0].revents & POLLIN) != 0) {
        std::array<std::uint8_t, 4096> chunk{};
        const ssize_t count = ::read(master_, chunk.data(), chunk.size());
        if (count > 0) {
            // Each byte reaches the modem one byte time after the line is free for it.
            const Clock::time_point seen = Clock::now();
            const auto byteTime = ByteTimeNow();
            for (ssize_t i = 0; i < count; ++i) {
                rxLineFree_ = std::max(seen, rxLineFree_) + byteTime;
                queue_.push_back({chunk[static_cast<std::size_t>(i)], rxLineFree_});
            }
            return Status::kOk;
        }
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) {
            return Status::kOk;
        }
        if (count == 0 || errno == EIO) {
            return Status::kHungUp;
        }
        Fail("reading the program's bytes");
    }
    return Status::kHungUp;  // POLLHUP or POLLERR with nothing left to read
}

ModemLine::Status TerminalLine::KeepQuiet(Clock::duration duration) {
    const Clock::time_point until = Clock::now() + duration;
    // No events asked of the master: a hang-up is reported all the same, arriving bytes are not.
    std::array<pollfd, 2> watched{{{master_, 0, 0}, {stopFd_, POLLIN, 0}}};
    for (;;) {
        const timespec timeout = ToTimespec(until - Clock::now());
        const int ready = ::ppoll(watched.data(), watched.size(), &timeout, nullptr);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("keeping quiet on the line");
        }
        if (watched[1].revents != 0) {
            return Status::kStopped;
        }
        if (watched[0].revents != 0) {
            return Status::kHungUp;
        }
        if (ready == 0 && Clock::now() >= until) {
            return Status::kOk;
        }
    }
}

ModemLine::Status TerminalLine::Send(std::span<const std::uint8_t> bytes) {
    const auto byteTime = ByteTimeNow();
    if (byteTime == std::chrono::nanoseconds::zero()) {
        return HungUpNow() ? Status::kHungUp : WriteAll(bytes);
    }
    // Back to back, as a UART sends them: each byte's deadline follows the last one's, not the moment the
    // modem woke up for it, so sleeping late now and then does not add up.
    txLineFree_ = std::max(Clock::now(), txLineFree_);
    for (const std::uint8_t& byte : bytes) {
        txLineFree_ += byteTime;
        if (!SleepUntil(stopFd_, txLineFree_)) {
            return Status::kStopped;
        }
        // Bytes written while nobody has the port open would wait for the next program to open it.
        if (HungUpNow()) {
            return Status::kHungUp;
        }
        const Status status = WriteAll(std::span(&byte, 1));
        if (status != Status::kOk) {
            return status;
        }
    }
    return Status::kOk;
}

ModemLine::Status TerminalLine::WriteAll(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (count > 0) {
            done += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && errno == EIO) {
            return Status::kHungUp;
        }
        if (count < 0 && errno != EAGAIN) {
            Fail("writing to the program");
        }
        // The program is not reading: wait for room, a hang-up or a stop.
        std::array<pollfd, 2> watched{{{master_, POLLOUT, 0}, {stopFd_, POLLIN, 0}}};
        if (::ppoll(watched.data(), watched.size(), nullptr, nullptr) < 0 && errno != EINTR) {
            Fail("waiting to write to the program");
        }
        if (watched[1].revents != 0) {
            return Status::kStopped;
        }
        if ((watched[0].revents & (POLLHUP | POLLERR)) != 0) {
            return Status::kHungUp;
        }
    }
    return Status::kOk;
}

void TerminalLine::Reset() {
    queue_.clear();
    // What the closed port left unread is dropped, but only while it is still closed: once the next
    // program has opened it, the bytes waiting are that program's first request.
    if ((PollNow(master_, POLLIN) & POLLHUP) != 0) {
        std::array<std::uint8_t, 4096> chunk{};
        while (::read(master_, chunk.data(), chunk.size()) > 0) {
        }
    }
    rxLineFree_ = {};
    txLineFree_ = {};
}

void TerminalLine::WaitUntilRead(Clock::duration limit) {
    std::array<char, 128> name{};
    if (HungUpNow() || ::ptsname_r(master_, name.data(), name.size()) != 0) {
        return;
    }
    // Only the device side can tell what is still unread; the program already holds it, so opening it
    // for a moment does not change who attached first.
    flash410::platform::UniqueFd device(::open(name.data(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    // The kernel hands written bytes on to the device a little later, so nothing unread right after a
    // write proves nothing; only after the settle time does it mean the program has read them.
    const Clock::time_point settled = Clock::now() + kSettleTime;
    const Clock::time_point until = Clock::now() + limit;
    if (!device.valid()) {
        // The program keeps others out of its port (root excepted): then wait for it to let go.
        while (!HungUpNow() && Clock::now() < until) {
            if (!SleepFor(stopFd_, kDetachedPollInterval)) {
                return;
            }
        }
        return;
    }
    int unread = 0;
    while (::ioctl(device.get(), FIONREAD, &unread) == 0 && Clock::now() < until) {
        if (unread == 0 && Clock::now() >= settled) {
            return;
        }
        if (!SleepFor(stopFd_, kDetachedPollInterval)) {
            return;
        }
    }
}

bool TerminalLine::HungUpNow() const {
    return (PollNow(master_, POLLOUT) & POLLHUP) != 0;
}

std::chrono::nanoseconds TerminalLine::ByteTimeNow() const {
    if (!pacing_.followPort) {
        return ByteTime(pacing_.baud);
    }
    // The master shares the line settings the program made on its end.
    termios settings{};
    if (::tcgetattr(master_, &settings) != 0) {
        return ByteTime(pacing_.baud);
    }
    return ByteTime(SpeedToBaud(::cfgetospeed(&settings)));
}

}  // namespace modemsim
