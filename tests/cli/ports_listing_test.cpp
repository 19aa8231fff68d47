// "flash410-cli ports" on a made-up Linux machine: two FTDI adapters, a USB modem, a built-in port and a
// simulated modem's port link, as the operator sees them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/ports_command.h"
#include "support/fake_sysfs.h"

namespace flash410::cli {
namespace {

TEST(PortsListing, TheMachinesPortsInTextAndJson) {
    const test_support::TempFolder root("ports-listing");
    test_support::FakeSysfs machine(root);
    machine.AddUsbAdapter({"ttyUSB0", "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI", "ftdi_sio", 1},
                          1);
    machine.AddUsbAdapter({"ttyUSB1", "0403", "6015", "FTDI", "FT231X USB UART", "DN04ABCD", "ftdi_sio", 16},
                          2);
    machine.AddUsbAdapter({"ttyACM0", "1d6b", "0104", "Varnel", "ZRM-410", "", "cdc_acm", std::nullopt}, 3);
    machine.AddUart("ttyS0", 4);
    machine.Link(3, machine.AddPseudoTerminal(4));
    const auto list = [&machine] { return serial::ListPorts(machine.Roots()); };

    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(RunPorts({}, out, err, list, kLinuxConventions), kExitSuccess);
    const std::string dev = (root / "dev").string();
    EXPECT_EQ(
        out.str(),
        "COM1   " + dev +
            "/ttyS0  built-in, free\n"
            "COM3   " +
            dev +
            "/pts/4  pseudo-terminal, free\n"
            "COM5   " +
            dev +
            "/ttyUSB0  USB adapter 0403:6001, FTDI, FT232R USB UART, serial A50285BI, driver "
            "ftdi_sio, free\n"
            "COM6   " +
            dev +
            "/ttyUSB1  USB adapter 0403:6015, FTDI, FT231X USB UART, serial DN04ABCD, driver "
            "ftdi_sio, free\n"
            "       latency timer 16 ms: each reply waits that long; set it to 1 ms: echo 1 | sudo tee "
            "/sys/bus/usb-serial/devices/ttyUSB1/latency_timer (until it is unplugged; a udev rule keeps it, "
            "see the manual page)\n"
            "COM13  " +
            dev + "/ttyACM0  USB adapter 1d6b:0104, Varnel, ZRM-410, driver cdc_acm, free\n");
    EXPECT_EQ(err.str(), "");

    std::ostringstream json;
    ASSERT_EQ(RunPorts(std::vector<std::string>{"--json"}, json, err, list, kLinuxConventions), kExitSuccess);
    const nlohmann::json ports = nlohmann::json::parse(json.str());
    ASSERT_EQ(ports.size(), 5U);
    EXPECT_EQ(ports[1]["kind"], "pseudo_terminal");
    EXPECT_EQ(ports[1]["link_target"], dev + "/pts/4");
    EXPECT_EQ(ports[2]["serial_number"], "A50285BI");
    EXPECT_EQ(ports[3]["latency_timer_ms"], 16);
    EXPECT_EQ(ports[4]["com_number"], 13);
    EXPECT_EQ(ports[4]["serial_number"], nullptr);
}

}  // namespace
}  // namespace flash410::cli
