// Faults on the line for the whole-upload tests, each named for the test it gives.
#pragma once

#include <ostream>

#include "modem_sim/sim_config.h"

namespace flash410::test_support {

struct LineFault {
    const char* name;
    modemsim::FaultPlan faults;
};

// A fault shows in the test listings by its name rather than its bytes, which change from run to run.
inline void PrintTo(const LineFault& fault, std::ostream* out) {
    *out << fault.name;
}

// The plan that change makes of one without faults.
inline modemsim::FaultPlan Faults(void (*change)(modemsim::FaultPlan&)) {
    modemsim::FaultPlan plan;
    change(plan);
    return plan;
}

}  // namespace flash410::test_support
