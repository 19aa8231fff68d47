// A simulated modem as slow as a cable at the rate the program sets, counting the blocks it has stored,
// so that a test can act in the middle of an upload.
#pragma once

#include <atomic>
#include <string>

#include "modem_sim/sim_config.h"

namespace flash410::test_support {

inline modemsim::SimConfig PacedModemCountingBlocks(std::atomic<int>& stored) {
    modemsim::SimConfig config;
    config.pacing.followPort = true;
    config.log = [&stored](const std::string& line) {
        if (line.ends_with(" stored")) {
            ++stored;
        }
    };
    return config;
}

}  // namespace flash410::test_support
