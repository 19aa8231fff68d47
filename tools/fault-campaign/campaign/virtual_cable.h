// A serial cable on a virtual clock, between the upload engine (the program's end, a SerialLine) and the
// simulated modem's flash loader (the modem's end, a ModemLine) running on a thread of its own. Only one
// side runs at a time: the modem runs until it waits for something, then the campaign moves the clock
// to the next thing due on either side. So a 100-second silence costs nothing, and a run is the same run
// every time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "modem_sim/modem_line.h"
#include "serial/serial_line.h"

namespace flash410::campaign {

using VirtualTime = std::chrono::nanoseconds;
inline constexpr VirtualTime kNever = VirtualTime::max();

// Bytes on their way along one direction of the cable: byte i of a segment arrives at start + (i+1) byte
// times, as a UART sends them back to back.
class CableDirection {
  public:
    // Puts the bytes on the line at the time given, behind what is still on its way; returns when the
    // last of them arrives.
    VirtualTime Put(std::span<const std::uint8_t> bytes, VirtualTime now, VirtualTime byteTime);
    // When the next byte arrives; kNever when none is on its way.
    VirtualTime NextArrival() const;
    // The bytes that have arrived by the time given, taken off the line.
    std::string TakeArrived(VirtualTime now);
    // One byte, when it has arrived by then.
    std::optional<std::uint8_t> TakeOne(VirtualTime now);

  private:
    struct Segment {
        std::string bytes;
        std::size_t taken = 0;
        VirtualTime start{};
        VirtualTime byteTime{};
        VirtualTime ArrivalOf(std::size_t index) const {
            return start + byteTime * static_cast<std::int64_t>(index + 1);
        }
    };
    std::deque<Segment> segments_;
    VirtualTime lineFree_{};
};

class VirtualCable;

// The modem's end: what the flash loader's dialogue reads, writes and waits on.
class ModemEnd final : public modemsim::ModemLine {
  public:
    explicit ModemEnd(VirtualCable& cable) : cable_(cable) {}
    Received Receive(std::optional<modemsim::Clock::time_point> deadline) override;
    Status Send(std::span<const std::uint8_t> bytes) override;
    bool Pause(modemsim::Clock::duration duration) override;
    Status KeepQuiet(modemsim::Clock::duration duration) override;
    modemsim::Clock::time_point Now() const override;

  private:
    VirtualCable& cable_;
};

// The program's end: the serial line the upload engine is given.
class ProgramEnd final : public serial::SerialLine {
  public:
    explicit ProgramEnd(VirtualCable& cable) : cable_(cable) {}
    std::uint8_t Port() const override { return port_; }
    void SetPort(std::uint8_t port) override { port_ = port; }
    std::int32_t Baudrate() const override;
    void SetBaudrate(std::int32_t baudrate) override;
    bool Active() const override;
    void SetActive(bool active) override;
    std::size_t Write(std::span<const std::uint8_t> bytes) override;
    std::int32_t ReadString(std::string& text) override;
    bool KeepsPace() const override { return true; }

  private:
    VirtualCable& cable_;
    std::uint8_t port_ = 1;
};

class VirtualCable {
  public:
    // The modem's side: runs on the modem's thread with its end of the cable until it returns.
    using ModemSide = std::function<void(modemsim::ModemLine& line)>;

    explicit VirtualCable(ModemSide modem);
    ~VirtualCable();
    VirtualCable(const VirtualCable&) = delete;
    VirtualCable& operator=(const VirtualCable&) = delete;

    VirtualTime Now() const { return now_; }
    serial::SerialLine& Program() { return programEnd_; }

    // The cable is pulled out once the program has written this many bytes in all: the rest of the write
    // that crosses it is lost, the port reports itself closed and the modem sees a hang-up.
    void PullOutAfterProgramBytes(std::uint64_t count) { pullAfter_ = count; }
    bool PulledOut() const { return pulledOut_; }
    std::uint64_t ProgramBytesWritten() const { return programWritten_; }
    // Every byte the program put on the line, in order.
    const std::string& ProgramBytes() const { return programBytes_; }

    // Runs the modem while it has something to do at the current time.
    void RunModem();
    // When the modem next has something to do; kNever while it only waits for bytes not on their way.
    VirtualTime ModemDue() const;
    // When the next of the modem's bytes reaches the program.
    VirtualTime ProgramArrival() const { return toProgram_.NextArrival(); }
    // Moves the clock on (never back).
    void AdvanceTo(VirtualTime time) { now_ = std::max(now_, time); }
    // The time of the program's next event: the modem may move the clock on by itself up to it, rather
    // than hand over at every byte.
    void SetHorizon(VirtualTime horizon) { horizon_ = horizon; }
    // Ends the modem: every wait of its returns "stopped", and its thread is joined.
    void StopModem();
    // An exception the modem's side ended with, as text; empty when it ended normally.
    const std::string& ModemFailure() const { return modemFailure_; }

    // How a wait of the modem's ended.
    enum class WaitEnd { kByte, kHungUp, kTime, kStopped };

  private:
    friend class ModemEnd;
    friend class ProgramEnd;

    // What the modem waits for when it hands over.
    struct ModemWait {
        bool byte = false;           // a byte from the program
        bool hangUp = false;         // a pull of the cable ends the wait
        VirtualTime until = kNever;  // the wait ends by itself then
    };
    VirtualTime ByteTime() const;
    // The program closed its port or the cable was pulled: the modem sees a hang-up.
    bool LineDown() const { return pulledOut_ || closedByProgram_; }
    // The modem's thread: waits as asked, moving the clock itself where nothing of the program's comes
    // first, and handing the turn over where it does.
    WaitEnd Wait(ModemWait wait);
    // Gives the turn to the modem (true) or takes it back (false), and waits until the other side passes
    // it back.
    void PassTurn(bool toModem);
    void ModemThread(const ModemSide& modem);

    VirtualTime now_{};
    VirtualTime horizon_ = kNever;
    std::int32_t baud_ = 9600;
    bool portOpen_ = false;
    bool closedByProgram_ = false;
    bool pulledOut_ = false;
    std::optional<std::uint64_t> pullAfter_;
    std::uint64_t programWritten_ = 0;
    std::string programBytes_;
    CableDirection toModem_;
    CableDirection toProgram_;

    // The turn: the modem's thread runs only while it is set, the campaign only while it is not. Passing it
    // orders all the rest, so nothing else needs a lock.
    std::atomic<bool> modemTurn_ = false;
    bool stopping_ = false;
    bool modemFinished_ = false;
    ModemWait modemWait_{.until = VirtualTime{}};  // the modem starts at once
    std::string modemFailure_;

    ModemEnd modemEnd_{*this};
    ProgramEnd programEnd_{*this};
    std::thread modemThread_;
};

}  // namespace flash410::campaign
