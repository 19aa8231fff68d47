// Runs on a simulated full disk under the names the core tests know.
#pragma once

#include "support/file_size_limit.h"

namespace flash410::image::testing {

using flash410::testing::LimitedRun;
using flash410::testing::RunWithFileSizeLimit;

}  // namespace flash410::image::testing
