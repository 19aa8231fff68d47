#include "campaign/virtual_cable.h"

#include <algorithm>
#include <exception>

namespace flash410::campaign {
namespace {
constexpr int kSpinsBeforeSleep = 2000;
}  // namespace

// ---- One direction ------------------------------------------------------------------------------

VirtualTime CableDirection::Put(std::span<const std::uint8_t> bytes, VirtualTime now, VirtualTime byteTime) {
    const VirtualTime start = std::max(now, lineFree_);
    lineFree_ = start + byteTime * static_cast<std::int64_t>(bytes.size());
    if (!bytes.empty()) {
        segments_.push_back({std::string(bytes.begin(), bytes.end()), 0, start, byteTime});
    }
    return lineFree_;
}

VirtualTime CableDirection::NextArrival() const {
    return segments_.empty() ? kNever : segments_.front().ArrivalOf(segments_.front().taken);
}

std::string CableDirection::TakeArrived(VirtualTime now) {
    std::string arrived;
    while (!segments_.empty()) {
        Segment& front = segments_.front();
        std::size_t until = front.bytes.size();
        if (front.byteTime > VirtualTime::zero()) {
            const auto count = now < front.start ? 0 : (now - front.start) / front.byteTime;
            until = std::min(until, static_cast<std::size_t>(count));
        }
        if (until > front.taken) {
            arrived.append(front.bytes, front.taken, until - front.taken);
            front.taken = until;
        }
        if (front.taken < front.bytes.size()) {
            break;
        }
        segments_.pop_front();
    }
    return arrived;
}

std::optional<std::uint8_t> CableDirection::TakeOne(VirtualTime now) {
    if (NextArrival() > now) {
        return std::nullopt;
    }
    Segment& front = segments_.front();
    const auto byte = static_cast<std::uint8_t>(front.bytes[front.taken++]);
    if (front.taken == front.bytes.size()) {
        segments_.pop_front();
    }
    return byte;
}

// ---- The cable and the turn -----------------------------------------------------------------------

VirtualCable::VirtualCable(ModemSide modem)
    : modemThread_([this, modem = std::move(modem)] { ModemThread(modem); }) {}

VirtualCable::~VirtualCable() {
    StopModem();
}

VirtualTime VirtualCable::ByteTime() const {
    // 10 bits a byte: start, 8 data, stop.
    return std::chrono::duration_cast<VirtualTime>(std::chrono::seconds(10)) / std::max(baud_, 1);
}

void VirtualCable::PassTurn(bool toModem) {
    modemTurn_.store(toModem, std::memory_order_release);
    modemTurn_.notify_all();
    // The other side mostly hands the turn back within microseconds: spin a little before sleeping.
    for (int spins = 0; modemTurn_.load(std::memory_order_acquire) == toModem;) {
        if (++spins < kSpinsBeforeSleep) {
            std::this_thread::yield();
        } else {
            modemTurn_.wait(toModem, std::memory_order_acquire);
        }
    }
}

void VirtualCable::ModemThread(const ModemSide& modem) {
    modemTurn_.wait(false, std::memory_order_acquire);
    if (!stopping_) {
        try {
            modem(modemEnd_);
        } catch (const std::exception& failure) {
            modemFailure_ = failure.what();
        }
    }
    modemFinished_ = true;
    modemTurn_.store(false, std::memory_order_release);
    modemTurn_.notify_all();
}

VirtualTime VirtualCable::ModemDue() const {
    if (modemFinished_) {
        return kNever;
    }
    if (stopping_ || ((modemWait_.byte || modemWait_.hangUp) && LineDown())) {
        return now_;
    }
    return modemWait_.byte ? std::min(modemWait_.until, toModem_.NextArrival()) : modemWait_.until;
}

void VirtualCable::RunModem() {
    while (ModemDue() <= now_) {
        PassTurn(true);
    }
}

void VirtualCable::StopModem() {
    if (!modemThread_.joinable()) {
        return;
    }
    stopping_ = true;
    RunModem();
    modemThread_.join();
}

VirtualCable::WaitEnd VirtualCable::Wait(ModemWait wait) {
    for (;;) {
        if (stopping_) {
            return WaitEnd::kStopped;
        }
        if ((wait.byte || wait.hangUp) && LineDown()) {
            return WaitEnd::kHungUp;
        }
        if (wait.byte && toModem_.NextArrival() <= now_) {
            return WaitEnd::kByte;
        }
        if (wait.until <= now_) {
            return WaitEnd::kTime;
        }
        const VirtualTime due = wait.byte ? std::min(wait.until, toModem_.NextArrival()) : wait.until;
        // Nothing of the program's comes first, its next tick nor a reply of the modem's reaching it.
        if (due != kNever && due <= std::min(horizon_, toProgram_.NextArrival())) {
            now_ = due;
            continue;
        }
        modemWait_ = wait;
        PassTurn(false);
    }
}

// ---- The modem's end -------------------------------------------------------------------------------

namespace {
// How a wait for time alone (or a hang-up) ended, as the line tells it.
modemsim::ModemLine::Status AsStatus(VirtualCable::WaitEnd end) {
    switch (end) {
        case VirtualCable::WaitEnd::kHungUp:
            return modemsim::ModemLine::Status::kHungUp;
        case VirtualCable::WaitEnd::kStopped:
            return modemsim::ModemLine::Status::kStopped;
        default:
            return modemsim::ModemLine::Status::kOk;
    }
}

VirtualTime FromModemClock(modemsim::Clock::time_point time) {
    return std::chrono::duration_cast<VirtualTime>(time.time_since_epoch());
}
}  // namespace

modemsim::ModemLine::Received ModemEnd::Receive(std::optional<modemsim::Clock::time_point> deadline) {
    const VirtualTime until = deadline ? FromModemClock(*deadline) : kNever;
    switch (cable_.Wait({.byte = true, .hangUp = true, .until = until})) {
        case VirtualCable::WaitEnd::kByte:
            return {Status::kOk, *cable_.toModem_.TakeOne(cable_.now_)};
        case VirtualCable::WaitEnd::kHungUp:
            return {Status::kHungUp, 0};
        case VirtualCable::WaitEnd::kTime:
            return {Status::kTimedOut, 0};
        case VirtualCable::WaitEnd::kStopped:
            break;
    }
    return {Status::kStopped, 0};
}

modemsim::ModemLine::Status ModemEnd::Send(std::span<const std::uint8_t> bytes) {
    if (cable_.stopping_) {
        return Status::kStopped;
    }
    if (cable_.LineDown()) {
        return Status::kHungUp;
    }
    // The modem is busy until its last byte has left, as a UART's writer is.
    const VirtualTime sent = cable_.toProgram_.Put(bytes, cable_.now_, cable_.ByteTime());
    return AsStatus(cable_.Wait({.hangUp = true, .until = sent}));
}

bool ModemEnd::Pause(modemsim::Clock::duration duration) {
    const auto until = cable_.now_ + std::chrono::duration_cast<VirtualTime>(duration);
    return cable_.Wait({.until = until}) != VirtualCable::WaitEnd::kStopped;
}

modemsim::ModemLine::Status ModemEnd::KeepQuiet(modemsim::Clock::duration duration) {
    const auto until = cable_.now_ + std::chrono::duration_cast<VirtualTime>(duration);
    return AsStatus(cable_.Wait({.hangUp = true, .until = until}));
}

modemsim::Clock::time_point ModemEnd::Now() const {
    return modemsim::Clock::time_point(std::chrono::duration_cast<modemsim::Clock::duration>(cable_.now_));
}

// ---- The program's end -------------------------------------------------------------------------------

std::int32_t ProgramEnd::Baudrate() const {
    return cable_.baud_;
}

void ProgramEnd::SetBaudrate(std::int32_t baudrate) {
    cable_.baud_ = baudrate;
}

bool ProgramEnd::Active() const {
    return cable_.portOpen_ && !cable_.pulledOut_;
}

void ProgramEnd::SetActive(bool active) {
    if (cable_.portOpen_ && !active) {
        cable_.closedByProgram_ = true;
    }
    cable_.portOpen_ = active && !cable_.pulledOut_;
}

std::size_t ProgramEnd::Write(std::span<const std::uint8_t> bytes) {
    if (!Active()) {
        return 0;
    }
    std::size_t taken = bytes.size();
    if (cable_.pullAfter_ && cable_.programWritten_ + taken >= *cable_.pullAfter_) {
        taken = static_cast<std::size_t>(*cable_.pullAfter_ - cable_.programWritten_);
        cable_.pulledOut_ = true;
    }
    cable_.toModem_.Put(bytes.first(taken), cable_.now_, cable_.ByteTime());
    cable_.programWritten_ += taken;
    cable_.programBytes_.append(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
    return taken;
}

std::int32_t ProgramEnd::ReadString(std::string& text) {
    // What reaches a pulled-out port is lost.
    std::string arrived = cable_.toProgram_.TakeArrived(cable_.now_);
    text = cable_.pulledOut_ ? std::string() : std::move(arrived);
    return static_cast<std::int32_t>(text.size());
}

}  // namespace flash410::campaign
