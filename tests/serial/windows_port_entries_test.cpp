// How what Windows says about its ports (SetupAPI's ids and names, the registry's SERIALCOMM) becomes the
// port list, read on every system.
#include "serial/windows_port_entries.h"

#include <gtest/gtest.h>

namespace flash410::serial {
namespace {

TEST(UsbDeviceId, ReadsTheIdsAndTheSerialNumberOfEachKindOfId) {
    EXPECT_EQ(ParseUsbDeviceId("USB\\VID_0403&PID_6001\\A50285BI"), (UsbIds{"0403", "6001", "A50285BI"}));
    EXPECT_EQ(ParseUsbDeviceId("USB\\VID_0403&PID_6001&REV_0600"), (UsbIds{"0403", "6001", ""}));
    EXPECT_EQ(ParseUsbDeviceId("usb\\vid_1A86&pid_7523\\5&2E8C4C2&0&2"), (UsbIds{"1a86", "7523", ""}));
    EXPECT_EQ(ParseUsbDeviceId("USB\\VID_2341&PID_0043&MI_00\\6&1B2C3D&0&0000"),
              (UsbIds{"2341", "0043", ""}));
    // FTDI's own bus adds the chip's port letter to the serial number.
    EXPECT_EQ(ParseUsbDeviceId("FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000"),
              (UsbIds{"0403", "6001", "A50285BI"}));
    EXPECT_EQ(ParseUsbDeviceId("FTDIBUS\\VID_0403+PID_6010+FT4XYZB\\0000"),
              (UsbIds{"0403", "6010", "FT4XYZ"}));
    EXPECT_EQ(ParseUsbDeviceId("FTDIBUS\\COMPORT&VID_0403&PID_6001"), (UsbIds{"0403", "6001", ""}));
    for (const char* other :
         {"ACPI\\PNP0501", "*PNP0501", "USB\\VID_04G3&PID_6001", "USB\\VID_0403", "BTHENUM\\{0000}", ""}) {
        EXPECT_FALSE(ParseUsbDeviceId(other)) << other;
    }
}

TEST(UsbDeviceId, ReadsComNumbers) {
    EXPECT_EQ(ComNumberOfName("COM5"), 5);
    EXPECT_EQ(ComNumberOfName("com12"), 12);
    for (const char* other : {"COM", "COM0", "COM5a", "LPT1", "COM-1", ""}) {
        EXPECT_EQ(ComNumberOfName(other), 0) << other;
    }
}

TEST(WindowsPorts, SetupApiDevicesComeFirstAndTheRegistryFillsTheRest) {
    const std::vector<WindowsPortDevice> devices{
        {"COM7", "USB Serial Port (COM7)", "FTDIBUS\\COMPORT&VID_0403&PID_6001",
         "FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", "FTDI", "FTDIBUS", 16, ""},
        {"COM1", "Communications Port (COM1)", "ACPI\\PNP0501", "ACPI\\PNP0501\\0", "(Standard port types)",
         "Serial", std::nullopt, "another program"},
        {"LPT1", "Printer Port (LPT1)", "ACPI\\PNP0400", "ACPI\\PNP0400\\0", "", "Parport", std::nullopt, ""},
    };
    const std::vector<SerialCommEntry> serialComm{{"\\Device\\VCP0", "COM7", ""},
                                                  {"\\Device\\Serial0", "COM1", ""},
                                                  {"\\Device\\Serial1", "COM2", ""},
                                                  {"\\Device\\USBSER000", "COM13", "Flash410"},
                                                  {"Broken", "PORT", ""}};

    const std::vector<PortDescription> ports = AssembleWindowsPorts(devices, serialComm);

    ASSERT_EQ(ports.size(), 4U);
    EXPECT_EQ(ports[0],
              (PortDescription{1, "\\\\.\\COM1", PortKind::kBuiltIn, std::nullopt, "another program", ""}));
    EXPECT_EQ(ports[1], (PortDescription{2, "\\\\.\\COM2", PortKind::kBuiltIn, std::nullopt, "", ""}));
    EXPECT_EQ(ports[2], (PortDescription{
                            7, "\\\\.\\COM7", PortKind::kUsbAdapter,
                            UsbIdentity{"0403", "6001", "FTDI", "USB Serial Port", "A50285BI", "FTDIBUS", 16},
                            "", ""}));
    EXPECT_EQ(ports[3],
              (PortDescription{13, "\\\\.\\COM13", PortKind::kOther, std::nullopt, "Flash410", ""}));
    EXPECT_EQ(PortSummary(ports[2]), "COM7: USB Serial Port, serial A50285BI");
}

}  // namespace
}  // namespace flash410::serial
