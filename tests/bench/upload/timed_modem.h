// A simulated modem in this process, pacing its line at the rate the program sets, erasing in no time and
// holding each reply back as long as asked, that notes when the program's first upload request reached it and
// when it took GO.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "modem_sim/modem_simulator.h"

namespace flash410::bench {

using Clock = std::chrono::steady_clock;

struct ModemTimes {
    modemsim::UploadReport report;  // report.seconds: from GO taken to THANK YOU sent
    Clock::time_point firstRequest;
    Clock::time_point go;  // when it answered GO with ERASING
    // For each block stored, seconds from the modem starting to send SEND BLOCK to its having the whole
    // block: the wire time of both, and whatever the program took to answer.
    std::vector<double> blockRounds;
    Clock::time_point end() const {
        return go +
               std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(report.seconds));
    }
};

class TimedModem {
  public:
    // link: also the port link the window model looks its ports up by.
    explicit TimedModem(std::optional<modemsim::PortLinkRequest> link = std::nullopt,
                        std::chrono::milliseconds replyDelay = std::chrono::milliseconds(0));
    ~TimedModem();
    TimedModem(const TimedModem&) = delete;
    TimedModem& operator=(const TimedModem&) = delete;

    const std::string& devicePath() const { return modem_->devicePath(); }
    // Waits (within a guard against a hang) for the first upload to end; nothing when it did not.
    std::optional<ModemTimes> FirstUpload() const;

  private:
    void Note(const std::string& message);

    mutable std::mutex mutex_;
    std::optional<Clock::time_point> firstRequest_;
    std::optional<Clock::time_point> go_;
    std::optional<Clock::time_point> asked_;
    std::vector<double> blockRounds_;
    std::unique_ptr<modemsim::ModemSimulator> modem_;  // last: its thread logs into the members above
};

}  // namespace flash410::bench
