// How flash410-cli meets the operator of the system it runs on: the port names it takes, how help is asked
// for, and the words its help uses for ports and for stopping an upload. Each system's conventions are
// plain data, so that the tests read every system's words on any system; the program takes its own
// system's, which the build chooses (system_conventions_<system>.cpp).
#pragma once

#include <string_view>

namespace flash410::cli {

struct SystemConventions {
    // Port numbers run from 1 to this: 19 on Linux, where they are the window's port links and built-in
    // devices; 255 on Windows, which numbers its COM ports up to there.
    int HighestPort = 0;
    // "\\.\COM5" (in any case) is port 5, the name Windows opens port 5 by, not a device of its own.
    bool ComDeviceNames = false;
    // "/?" asks for help as "--help" does, as Windows programs have it.
    bool SlashQuestionMarkHelp = false;
    // The upload help's description of --port, from its first word to before "Default 1.", broken into
    // lines that fit the help's description column (which indents them).
    std::string_view PortOptionHelp;
    // The upload help's examples of the capture files a folder takes, one a port.
    std::string_view CaptureFileNames;
    // The upload help's paragraph on what is shown while the ports upload and how the uploads are stopped.
    std::string_view ProgressAndStopHelp;
    // What stops the uploads, as the help's exit status 130 says.
    std::string_view StopRequests;
};

extern const SystemConventions kLinuxConventions;
extern const SystemConventions kWindowsConventions;

// The conventions of the system the program was built for.
const SystemConventions& ThisSystem();

// Whether the argument asks for a command's help: "--help" or "-h", and "/?" where the system has it.
bool AsksForHelp(std::string_view argument, const SystemConventions& system);
// How the help names the options that ask for it: "--help", or "--help, /?".
std::string_view HelpOptionNames(const SystemConventions& system);

}  // namespace flash410::cli
