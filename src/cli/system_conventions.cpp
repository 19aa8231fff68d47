#include "cli/system_conventions.h"

namespace flash410::cli {

// On Linux a COM number stands for the device the window maps it to, and a terminal is stopped by signals
// as well as by Ctrl+C.
const SystemConventions kLinuxConventions{
    .HighestPort = 19,
    .ComDeviceNames = false,
    .SlashQuestionMarkHelp = false,
    .PortOptionHelp = R"(a number 1-19 or COM1 to COM19, mapped as the window maps it (a
ports/comN link in the settings folder, then the built-in devices), a device path
such as /dev/ttyUSB0, or the USB adapter: usb:any, usb:SERIAL, usb:VVVV:PPPP
or usb:VVVV:PPPP:SERIAL, which exactly one adapter present must match
(flash410-cli ports lists them))",
    .CaptureFileNames = "capture-COM2.txt or capture-dev-ttyUSB0.txt",
    .ProgressAndStopHelp =
        R"(On a terminal, each port has a line that shows its block, percent, bytes a second, elapsed time and time
left. Otherwise a line is written when each port starts, at each 10 % and at its end. Ctrl+C, SIGTERM or
a closed terminal (SIGHUP) stops every upload at once: nothing more is sent (a block cut short is not
stored by the modem), and each port says where it stopped. Output that nobody reads any more (a pager quit
early) does not stop the uploads.
)",
    .StopRequests = "Ctrl+C, SIGTERM or SIGHUP",
    .LatencyTimerAdvice =
        "echo 1 | sudo tee /sys/bus/usb-serial/devices/{tty}/latency_timer (until it is "
        "unplugged; a udev rule keeps it, see the manual page)",
};

// On Windows a COM number is the system's own COM port, and only the console's keys stop an upload in
// good order: closing the console window ends the program when its control handler returns, whatever the
// handler asked for, so the help does not offer it as a way to stop.
const SystemConventions kWindowsConventions{
    .HighestPort = 255,
    .ComDeviceNames = true,
    .SlashQuestionMarkHelp = true,
    .PortOptionHelp = R"(a number 1-255, COM1 to COM255 or \\.\COM1 to \\.\COM255 (5, COM5
and \\.\COM5 are one port), or the USB adapter: usb:any, usb:SERIAL,
usb:VVVV:PPPP or usb:VVVV:PPPP:SERIAL, which exactly one adapter present must match
(flash410-cli ports lists them))",
    .CaptureFileNames = "capture-COM2.txt",
    .ProgressAndStopHelp =
        R"(In a console window, the ports' progress is rewritten in place: their block, percent, bytes a second,
elapsed time and time left. Otherwise a line is written when each port starts, at each 10 % and at its
end. Ctrl+C or Ctrl+Break stops every upload at once: nothing more is sent (a block cut short is not
stored by the modem), and each port says where it stopped. Output that nobody reads any more (a pager quit
early) does not stop the uploads.
)",
    .StopRequests = "Ctrl+C or Ctrl+Break",
    .LatencyTimerAdvice =
        "Device Manager > Ports > the port's Properties > Port Settings > Advanced > "
        "Latency Timer (msec)",
};

bool AsksForHelp(std::string_view argument, const SystemConventions& system) {
    return argument == "--help" || argument == "-h" || (system.SlashQuestionMarkHelp && argument == "/?");
}

std::string_view HelpOptionNames(const SystemConventions& system) {
    return system.SlashQuestionMarkHelp ? "--help, /?" : "--help";
}

}  // namespace flash410::cli
