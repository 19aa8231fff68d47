// Simulated modems for the tests that run whole uploads: each on a line of its own, which a program
// folder's port link leads to, as if its cable were plugged into that COM port.
#pragma once

#include <chrono>
#include <memory>
#include <utility>

#include "modem_sim/modem_simulator.h"
#include "program_folder.h"

namespace flash410::test_support {

// Only keeps a broken simulator from hanging the suite: its report follows the upload's end at once.
inline constexpr std::chrono::seconds kSimulatorReportGuard{60};

// A simulated modem, serving at once, that COM<port> of the program folder leads to.
inline std::unique_ptr<modemsim::ModemSimulator> StartModemLinkedAs(const ProgramFolder& folder, int port,
                                                                    modemsim::SimConfig config = {}) {
    return std::make_unique<modemsim::ModemSimulator>(std::move(config),
                                                      modemsim::PortLinkRequest{folder.folder(), port});
}

}  // namespace flash410::test_support
