// The simulated modem running on a thread of its own, for tests and tools that drive the other end of
// the line themselves.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "modem_sim/port_link.h"
#include "modem_sim/pseudo_terminal.h"
#include "modem_sim/sim_config.h"
#include "modem_sim/stop_signal.h"
#include "modem_sim/upload_report.h"

namespace modemsim {

struct PortLinkRequest {
    std::filesystem::path programFolder;
    int port = 1;
};

class ModemSimulator {
  public:
    // Starts serving at once. Throws std::invalid_argument for settings that make no sense, and
    // std::runtime_error (or std::system_error) when the line or the link cannot be made.
    explicit ModemSimulator(SimConfig config, std::optional<PortLinkRequest> link = std::nullopt);
    ~ModemSimulator();
    ModemSimulator(const ModemSimulator&) = delete;
    ModemSimulator& operator=(const ModemSimulator&) = delete;

    // The device the program opens.
    const std::string& devicePath() const { return terminal_.slavePath(); }
    std::optional<std::filesystem::path> linkPath() const;

    // Ends the modem and waits for its thread; an upload in progress is reported as stopped.
    void Stop();
    // Waits until count uploads have ended, or the modem has ended, or the guard time has passed;
    // true when count uploads have ended.
    bool WaitForUploads(std::size_t count, std::chrono::milliseconds guard) const;
    // Waits until the modem has ended on its own (upload limit, port closed, failure) or the guard time
    // has passed; true when it has ended.
    bool WaitUntilEnded(std::chrono::milliseconds guard) const;
    std::vector<UploadReport> Reports() const;
    // The flash as the last ended upload left it (erased before the first).
    std::vector<std::uint8_t> Flash() const;
    bool Running() const;
    // Why the modem ended on its own, when something failed under it.
    std::string Error() const;

  private:
    void Serve(SimConfig config);

    PseudoTerminal terminal_;
    std::unique_ptr<PortLink> link_;
    StopSignal stop_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<UploadReport> reports_;
    std::vector<std::uint8_t> flash_;
    bool running_ = true;
    std::string error_;
    std::thread thread_;  // last, so that everything it uses exists before it starts
};

}  // namespace modemsim
