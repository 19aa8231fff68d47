// The test UI thread under the name the upload tests know.
#pragma once

#include "support/test_ui_thread.h"

namespace serial4::testing {

using flash410::testing::TestUiThread;

}  // namespace serial4::testing
