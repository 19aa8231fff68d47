// The port lister on a made-up machine: what sysfs and the port links show becomes one description a
// port, each with its COM number, kind and USB identity.
#include <gtest/gtest.h>

#include "serial/port_inventory.h"
#include "support/fake_sysfs.h"
#include "support/temp_folder.h"

namespace flash410::serial {
namespace {

using test_support::FakeSysfs;
using test_support::FakeUsbAdapter;
using test_support::TempFolder;

const FakeUsbAdapter kFirstFtdi{"ttyUSB0",         "0403",     "6001",     "FTDI",
                                "FT232R USB UART", "A50285BI", "ftdi_sio", 16};
const FakeUsbAdapter kSecondFtdi{"ttyUSB1",         "0403",     "6001",     "FTDI",
                                 "FT232R USB UART", "A9XK3LQ2", "ftdi_sio", 1};
const FakeUsbAdapter kAcmModem{"ttyACM0", "1D6B", "0104", "Varnel", "ZRM-410", "", "cdc_acm", std::nullopt};

class PortInventoryTest : public ::testing::Test {
  protected:
    TempFolder root_{"inventory"};
    FakeSysfs machine_{root_};
};

TEST_F(PortInventoryTest, ListsEachPresentPortOnceInComOrderWithItsIdentity) {
    machine_.AddUsbAdapter(kSecondFtdi, 2);
    machine_.AddUsbAdapter(kFirstFtdi, 1);
    machine_.AddUsbAdapter(kAcmModem, 3);
    machine_.AddUart("ttyS0", 4);
    machine_.AddUart("ttyS1", 0);  // registered by the driver, no UART behind it
    machine_.AddVirtualTerminal("tty1");
    const std::string pty = machine_.AddPseudoTerminal(7);
    machine_.Link(2, pty);

    const std::vector<PortDescription> ports = ListPorts(machine_.Roots());

    ASSERT_EQ(ports.size(), 5U);
    EXPECT_EQ(ports[0].ComNumber, 1);
    EXPECT_EQ(ports[0].Kind, PortKind::kBuiltIn);
    EXPECT_EQ(ports[0].Device, machine_.DevPath("ttyS0"));
    EXPECT_FALSE(ports[0].Usb);

    EXPECT_EQ(ports[1].ComNumber, 2);
    EXPECT_EQ(ports[1].Kind, PortKind::kPseudoTerminal);
    EXPECT_EQ(ports[1].LinkTarget, pty);

    EXPECT_EQ(ports[2].ComNumber, 5);
    EXPECT_EQ(ports[2].Device, machine_.DevPath("ttyUSB0"));
    ASSERT_TRUE(ports[2].Usb);
    EXPECT_EQ(*ports[2].Usb,
              (UsbIdentity{"0403", "6001", "FTDI", "FT232R USB UART", "A50285BI", "ftdi_sio", 16}));
    EXPECT_EQ(ports[3].ComNumber, 6);
    EXPECT_EQ(ports[3].Usb->SerialNumber, "A9XK3LQ2");

    // The ids are given as the operator types them, in lower case; the driver binds the interface.
    EXPECT_EQ(ports[4].ComNumber, 13);
    EXPECT_EQ(*ports[4].Usb, (UsbIdentity{"1d6b", "0104", "Varnel", "ZRM-410", "", "cdc_acm", std::nullopt}));
}

TEST_F(PortInventoryTest, PortLinksNumberTheDevicesTheyLeadTo) {
    machine_.AddUsbAdapter(kFirstFtdi, 1);
    machine_.AddUart("ttyS0", 4);
    machine_.Link(3, machine_.DevPath("ttyUSB0"));
    const std::string elsewhere = root_.Write("elsewhere/modem", "");
    machine_.Link(4, elsewhere);
    machine_.Link(9, (root_ / "gone").string());  // leads nowhere: no port

    const std::vector<PortDescription> ports = ListPorts(machine_.Roots());

    ASSERT_EQ(ports.size(), 3U);
    EXPECT_EQ(ports[0].ComNumber, 1);
    // The adapter keeps its kind and identity under the link's number, and is not listed again as COM5.
    EXPECT_EQ(ports[1].ComNumber, 3);
    EXPECT_EQ(ports[1].Kind, PortKind::kUsbAdapter);
    EXPECT_EQ(ports[1].Device, machine_.DevPath("ttyUSB0"));
    EXPECT_EQ(ports[1].LinkTarget, machine_.DevPath("ttyUSB0"));
    EXPECT_EQ(ports[2].ComNumber, 4);
    EXPECT_EQ(ports[2].Kind, PortKind::kOperatorLink);
    EXPECT_EQ(ports[2].LinkTarget, elsewhere);
}

TEST_F(PortInventoryTest, ANumberTakenByALinkIsNotGivenToTheSystemsDeviceToo) {
    machine_.AddUart("ttyS0", 4);
    machine_.AddUart("ttyS1", 4);
    machine_.Link(1, (root_ / "gone").string());  // COM1 opens the link, not ttyS0
    machine_.Link(2, machine_.DevPath("ttyS0"));

    const std::vector<PortDescription> ports = ListPorts(machine_.Roots());

    ASSERT_EQ(ports.size(), 2U);
    EXPECT_EQ(ports[0].ComNumber, 2);
    EXPECT_EQ(ports[0].Device, machine_.DevPath("ttyS0"));
    // ttyS1 would be COM2 by the system's numbering, which the link has taken.
    EXPECT_EQ(ports[1].ComNumber, 0);
    EXPECT_EQ(ports[1].Device, machine_.DevPath("ttyS1"));
}

TEST_F(PortInventoryTest, AMachineWithoutSerialPortsListsNone) {
    machine_.AddVirtualTerminal("tty0");
    machine_.AddUart("ttyS0", 0);
    EXPECT_TRUE(ListPorts(machine_.Roots()).empty());
    EXPECT_TRUE(ListPorts({(root_ / "no-sysfs").string(), (root_ / "no-dev").string(), {}}).empty());
}

TEST_F(PortInventoryTest, FindsThePortOfADeviceThroughLinks) {
    machine_.AddUsbAdapter(kFirstFtdi, 1);
    machine_.Link(1, machine_.DevPath("ttyUSB0"));
    const std::vector<PortDescription> ports = ListPorts(machine_.Roots());

    const auto throughLink = FindPortOfDevice(ports, (root_ / "program/ports/com1").string());
    ASSERT_TRUE(throughLink);
    EXPECT_EQ(throughLink->Usb->SerialNumber, "A50285BI");
    EXPECT_TRUE(FindPortOfDevice(ports, machine_.DevPath("ttyUSB0")));
    EXPECT_FALSE(FindPortOfDevice(ports, machine_.DevPath("ttyUSB1")));
    EXPECT_EQ(FindPortOfNumber(ports, 1), throughLink);
    EXPECT_FALSE(FindPortOfNumber(ports, 5));
}

}  // namespace
}  // namespace flash410::serial
