// Faults on the line for the whole-upload tests, each named for the test it gives.
#pragma once

#include "modem_sim/sim_config.h"

namespace flash410::test_support {

struct LineFault {
    const char* name;
    modemsim::FaultPlan faults;
};

// The plan that change makes of one without faults.
inline modemsim::FaultPlan Faults(void (*change)(modemsim::FaultPlan&)) {
    modemsim::FaultPlan plan;
    change(plan);
    return plan;
}

}  // namespace flash410::test_support
