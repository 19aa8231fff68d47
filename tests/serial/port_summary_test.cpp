// The one-line text of a port that the window shows in its port list, for each kind of port.
#include <gtest/gtest.h>

#include "serial/port_inventory.h"

namespace flash410::serial {
namespace {

TEST(PortSummaryTest, NamesEachKindOfPortInOneLine) {
    PortDescription usb{5,
                        "/dev/ttyUSB0",
                        PortKind::kUsbAdapter,
                        UsbIdentity{"0403", "6001", "FTDI", "FT232R USB UART", "A50285BI", "ftdi_sio", 16},
                        "",
                        ""};
    EXPECT_EQ(PortSummary(usb), "COM5: FT232R USB UART, serial A50285BI");
    usb.Usb->Product.clear();
    usb.Usb->SerialNumber.clear();
    EXPECT_EQ(PortSummary(usb), "COM5: USB adapter 0403:6001");
    usb.ComNumber = 0;
    EXPECT_EQ(PortSummary(usb), "/dev/ttyUSB0: USB adapter 0403:6001");

    const std::vector<PortDescription> ports{
        {1, "/dev/ttyS0", PortKind::kBuiltIn, std::nullopt, "", ""},
        {2, "/dev/pts/4", PortKind::kOperatorLink, std::nullopt, "", "/tmp/x/pty"},
        {3, "/dev/pts/5", PortKind::kPseudoTerminal, std::nullopt, "", "/dev/pts/5"},
    };
    EXPECT_EQ(PortSummaryOfNumber(ports, 1), "COM1: built-in serial port (/dev/ttyS0)");
    EXPECT_EQ(PortSummaryOfNumber(ports, 2), "COM2: /tmp/x/pty (link)");
    EXPECT_EQ(PortSummaryOfNumber(ports, 3), "COM3: pseudo-terminal (/dev/pts/5)");
    EXPECT_EQ(PortSummaryOfNumber(ports, 5), "COM5: no device");
}

}  // namespace
}  // namespace flash410::serial
