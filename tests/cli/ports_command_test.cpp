// "flash410-cli ports": its lines, its JSON and its refusals, from ports described by hand.
#include "cli/ports_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

namespace flash410::cli {
namespace {

using serial::PortDescription;
using serial::PortKind;
using serial::UsbIdentity;
using ::testing::HasSubstr;
using ::testing::Not;

struct PortsRun {
    int Status;
    std::string Out;
    std::string Err;
};

PortsRun Ports(const std::vector<std::string>& arguments, const std::vector<PortDescription>& present,
               const SystemConventions& system = kLinuxConventions) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunPorts(
        arguments, out, err, [&present] { return present; }, system);
    return {status, out.str(), err.str()};
}

const PortDescription kHeldAdapter{
    6,
    "/dev/ttyUSB1",
    PortKind::kUsbAdapter,
    UsbIdentity{"0403", "6001", "FTDI", "FT232R USB UART", "A9XK3LQ2", "ftdi_sio", 16},
    "minicom (process 41)",
    ""};
const PortDescription kUnnumberedUart{0, "/dev/ttyS7", PortKind::kBuiltIn, std::nullopt, "", ""};

TEST(PortsCommand, AnAdapterThatHoldsBytesBackIsToldHowToSetItsTimerOnEachSystem) {
    const PortsRun linux = Ports({}, {kHeldAdapter, kUnnumberedUart});
    EXPECT_EQ(linux.Status, kExitSuccess);
    EXPECT_EQ(
        linux.Out,
        "COM6   /dev/ttyUSB1  USB adapter 0403:6001, FTDI, FT232R USB UART, serial A9XK3LQ2, driver "
        "ftdi_sio, "
        "in use by minicom (process 41)\n"
        "       latency timer 16 ms: each reply waits that long; set it to 1 ms: echo 1 | sudo tee "
        "/sys/bus/usb-serial/devices/ttyUSB1/latency_timer (until it is unplugged; a udev rule keeps it, "
        "see the manual page)\n"
        "-      /dev/ttyS7  built-in, free\n");

    PortDescription windowsAdapter = kHeldAdapter;
    windowsAdapter.Device = "\\\\.\\COM6";
    const PortsRun windows = Ports({}, {windowsAdapter}, kWindowsConventions);
    EXPECT_THAT(windows.Out, HasSubstr("set it to 1 ms: Device Manager > Ports"));
    EXPECT_THAT(windows.Out, Not(HasSubstr("sudo")));

    windowsAdapter.Usb->LatencyTimerMs = 1;
    EXPECT_THAT(Ports({}, {windowsAdapter}, kWindowsConventions).Out, Not(HasSubstr("latency")));
}

TEST(PortsCommand, JsonGivesEveryFieldAndNullWhereUnknown) {
    const PortsRun run = Ports({"--json"}, {kHeldAdapter, kUnnumberedUart});
    EXPECT_EQ(run.Status, kExitSuccess);
    const nlohmann::json list = nlohmann::json::parse(run.Out);
    ASSERT_TRUE(list.is_array());
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[0],
              nlohmann::json::parse(R"json({"com_number": 6, "device": "/dev/ttyUSB1", "kind": "usb_adapter",
        "vendor_id": "0403", "product_id": "6001", "manufacturer": "FTDI", "product": "FT232R USB UART",
        "serial_number": "A9XK3LQ2", "driver": "ftdi_sio", "latency_timer_ms": 16,
        "in_use_by": "minicom (process 41)", "link_target": null})json"));
    EXPECT_EQ(list[1],
              nlohmann::json::parse(R"json({"com_number": null, "device": "/dev/ttyS7", "kind": "built_in",
        "vendor_id": null, "product_id": null, "manufacturer": null, "product": null, "serial_number": null,
        "driver": null, "latency_timer_ms": null, "in_use_by": null, "link_target": null})json"));
}

TEST(PortsCommand, NoPortIsNoFailure) {
    const PortsRun text = Ports({}, {});
    EXPECT_EQ(text.Status, kExitSuccess);
    EXPECT_EQ(text.Out, "No serial port found.\n");
    const PortsRun json = Ports({"--json"}, {});
    EXPECT_EQ(json.Status, kExitSuccess);
    EXPECT_EQ(json.Out, "[]\n");
}

TEST(PortsCommand, WrongArgumentsAreOneLineAndNothingIsListed) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--frob"}, {"COM5"}, {"--json", "--json=maybe"}}) {
        const PortsRun run = Ports(arguments, {kHeldAdapter});
        EXPECT_EQ(run.Status, kExitUsage);
        EXPECT_EQ(run.Out, "");
        EXPECT_THAT(run.Err, ::testing::EndsWith(". Try 'flash410-cli ports --help'.\n"));
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1);
    }
    const PortsRun help = Ports({"/?"}, {}, kWindowsConventions);
    EXPECT_EQ(help.Status, kExitSuccess);
    EXPECT_THAT(help.Out, ::testing::StartsWith("Usage: flash410-cli ports [--json]\n"));
}

}  // namespace
}  // namespace flash410::cli
