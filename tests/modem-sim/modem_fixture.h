// A simulated modem with a scripted PC on its line, and the steps most tests share.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "modem_sim/modem_simulator.h"
#include "scripted_pc.h"

namespace modemsim::testing {

class ModemTest : public ::testing::Test {
  public:
    // Starts the modem (no erase time unless the test asks) and opens its line.
    void Start(SimConfig config = {});
    ModemSimulator& modem() { return *modem_; }
    ScriptedPc& pc() { return *pc_; }
    // A new program opening the line after the last one closed it.
    void Reconnect();

    // Upload request, READY, GO and the erase lines; returns the lines after GO, the first block
    // request included.
    std::vector<std::string> OpenUpload(std::string_view request = "UP BULK\r");
    // Sends a block and returns the modem's answer line.
    std::string SendBlock(std::string_view address, const Bytes& data);
    std::string SendBlock(const Bytes& block);
    // Closes the line and returns the report of the upload that was in progress.
    UploadReport CloseAndReport();
    // The report of upload number n (from 1) once it has ended.
    UploadReport ReportOf(std::size_t n);

    std::unique_ptr<ModemSimulator> modem_;
    std::unique_ptr<ScriptedPc> pc_;
};

// The 4 MiB flash: 0xFF except for the given 1 KiB blocks.
Bytes FlashWith(const std::vector<std::pair<std::uint32_t, Bytes>>& blocks);
// Where two flash images first differ, for a readable failure message.
std::string FirstDifference(const Bytes& actual, const Bytes& expected);

}  // namespace modemsim::testing
