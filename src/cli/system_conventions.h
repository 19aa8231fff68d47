// How flash410-cli meets the operator of the system it runs on: the port names it takes. Each system's
// conventions are plain data, so that the tests read every system's on any system; the program takes its
// own system's, which the build chooses (system_conventions_<system>.cpp).
#pragma once

namespace flash410::cli {

struct SystemConventions {
    // Port numbers run from 1 to this: 19 on Linux, where they are the window's port links and built-in
    // devices; 255 on Windows, which numbers its COM ports up to there.
    int HighestPort = 0;
    // "\\.\COM5" (in any case) is port 5, the name Windows opens port 5 by, not a device of its own.
    bool ComDeviceNames = false;
};

extern const SystemConventions kLinuxConventions;
extern const SystemConventions kWindowsConventions;

// The conventions of the system the program was built for.
const SystemConventions& ThisSystem();

}  // namespace flash410::cli
