// The upload's help in each system's words: its ports, its help option and what stops an upload, and none
// of the other system's.
#include "cli/upload_help.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "cli/upload_options.h"

namespace flash410::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(UploadHelp, LinuxHelpNamesLinuxDevicesAndSignalsAndNothingOfWindows) {
    const std::string help = UploadHelp(kLinuxConventions);
    for (const char* own :
         {"a number 1-19 or COM1 to COM19", "ports/comN link", "/dev/ttyUSB0", "Ctrl+C, SIGTERM", "(SIGHUP)",
          "130  stopped by Ctrl+C, SIGTERM or SIGHUP\n", "  --help            Shows"}) {
        EXPECT_THAT(help, HasSubstr(own));
    }
    for (const char* windowsWord : {"\\\\.\\", "COM255", "Ctrl+Break", "/?", "console"}) {
        EXPECT_THAT(help, Not(HasSubstr(windowsWord)));
    }
}

TEST(UploadHelp, WindowsHelpNamesComPortsAndConsoleKeysAndNothingOfLinux) {
    const std::string help = UploadHelp(kWindowsConventions);
    for (const char* own :
         {"a number 1-255, COM1 to COM255 or \\\\.\\COM1 to \\\\.\\COM255",
          "5, COM5\n                    and \\\\.\\COM5 are one port", "Ctrl+C or Ctrl+Break stops",
          "130  stopped by Ctrl+C or Ctrl+Break\n", "  --help, /?        Shows"}) {
        EXPECT_THAT(help, HasSubstr(own));
    }
    for (const char* linuxWord :
         {"/dev/", "ttyUSB", "ports/comN", "settings folder", "SIGTERM", "SIGHUP", "terminal"}) {
        EXPECT_THAT(help, Not(HasSubstr(linuxWord)));
    }
}

// The help's highest port is the one --port takes, on each system.
TEST(UploadHelp, TheHelpsRangeOfPortsIsTheOneThatIsTaken) {
    for (const SystemConventions* system : {&kLinuxConventions, &kWindowsConventions}) {
        const std::string highest = "COM" + std::to_string(system->HighestPort);
        const std::string beyond = "COM" + std::to_string(system->HighestPort + 1);
        EXPECT_THAT(UploadHelp(*system), HasSubstr("COM1 to " + highest));
        EXPECT_TRUE(ParsePortTarget(highest, *system).has_value()) << highest;
        EXPECT_FALSE(ParsePortTarget(beyond, *system).has_value()) << beyond;
    }
}

// Each system's help offers the USB adapter forms that --port takes there.
TEST(UploadHelp, TheHelpsUsbFormsAreTheOnesTaken) {
    for (const SystemConventions* system : {&kLinuxConventions, &kWindowsConventions}) {
        const std::string help = UploadHelp(*system);
        for (const char* form :
             {"usb:any", "usb:SERIAL", "usb:VVVV:PPPP", "usb:VVVV:PPPP:SERIAL", "flash410-cli ports"}) {
            EXPECT_THAT(help, HasSubstr(form));
        }
        for (const char* example : {"usb:any", "usb:A50285BI", "usb:0403:6001", "usb:0403:6001:A50285BI"}) {
            EXPECT_TRUE(ParsePortTarget(example, *system).has_value()) << example;
        }
    }
}

}  // namespace
}  // namespace flash410::cli
