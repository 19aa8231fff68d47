// Choosing a port by the USB adapter behind it: the usb: forms and their refusals, the one adapter that
// matches (or the list to choose from when none or several do), and how the port is named afterwards.
#include "cli/usb_selection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/upload_command.h"
#include "cli/upload_options.h"

namespace flash410::cli {
namespace {

using serial::PortDescription;
using serial::PortKind;
using serial::UsbIdentity;

PortDescription Adapter(int com, const std::string& device, const std::string& product,
                        const std::string& serial) {
    return {com,
            device,
            PortKind::kUsbAdapter,
            UsbIdentity{"0403", product, "FTDI", "FT232R USB UART", serial, "ftdi_sio", 16},
            "",
            ""};
}

const std::vector<PortDescription> kBench{
    {1, "/dev/ttyS0", PortKind::kBuiltIn, std::nullopt, "", ""},
    Adapter(5, "/dev/ttyUSB0", "6001", "A50285BI"),
    Adapter(6, "/dev/ttyUSB1", "6001", "A9XK3LQ2"),
    Adapter(7, "/dev/ttyUSB2", "6015", "DN04ABCD"),
};

TEST(UsbSelector, ReadsTheThreeFormsInAnyCase) {
    EXPECT_EQ(ParseUsbSelector("usb:A50285BI"), (UsbSelector{"", "", "A50285BI"}));
    EXPECT_EQ(ParseUsbSelector("USB:0403:60aF"), (UsbSelector{"0403", "60af", ""}));
    EXPECT_EQ(ParseUsbSelector("usb:0403:6001:A5-0285.BI"), (UsbSelector{"0403", "6001", "A5-0285.BI"}));
    // usb:any takes every adapter, and is said so.
    const std::optional<UsbSelector> any = ParseUsbSelector("USB:Any");
    ASSERT_EQ(any, UsbSelector{});
    EXPECT_EQ(any->Text(), "usb:any");
    EXPECT_TRUE(any->Matches(*kBench[3].Usb));
    EXPECT_EQ(ParseUsbSelector("usb:0403:6001:A50285BI")->Text(), "usb:0403:6001:A50285BI");
    EXPECT_EQ(ParseUsbSelector("usb:0403:60AF")->Text(), "usb:0403:60af");
}

TEST(UsbSelector, RefusesWhatNamesNoAdapterClearly) {
    for (const char* text :
         {"usb:", "usb:0403:", "usb::6001", "usb:403:6001", "usb:04030:6001", "usb:0403:60g1",
          "usb:0403:6001:", "usb:0403:6001:A:B", "usb:A50 285", "usb:A5\t02", "usb0403", "/dev/ttyUSB0"}) {
        EXPECT_FALSE(ParseUsbSelector(text)) << text;
    }
    // The upload names what it takes instead of the COM numbers a usb: text was clearly not meant as.
    const ParsedUpload parsed = ParseUploadOptions(std::vector<std::string>{"--port", "usb:0403:", "fw.hex"});
    EXPECT_EQ(std::get<std::string>(parsed),
              "--port takes a USB adapter as usb:any, usb:SERIAL, usb:VVVV:PPPP or usb:VVVV:PPPP:SERIAL "
              "(VVVV and PPPP "
              "four hex digits), not \"usb:0403:\"");
    EXPECT_EQ(ParsePortTarget("usb:A50285BI", kWindowsConventions)->Usb, (UsbSelector{"", "", "A50285BI"}));
}

TEST(UsbSelection, ExactlyOneAdapterMustMatch) {
    const auto bySerial = SelectUsbPort({"", "", "A9XK3LQ2"}, kBench);
    ASSERT_TRUE(std::holds_alternative<PortDescription>(bySerial));
    EXPECT_EQ(std::get<PortDescription>(bySerial).Device, "/dev/ttyUSB1");
    const auto byIds = SelectUsbPort({"0403", "6015", ""}, kBench);
    ASSERT_TRUE(std::holds_alternative<PortDescription>(byIds));
    EXPECT_EQ(std::get<PortDescription>(byIds).Device, "/dev/ttyUSB2");
    // A serial number is compared exactly: a near miss is another adapter.
    EXPECT_TRUE(std::holds_alternative<UsbSelectionRefusal>(SelectUsbPort({"", "", "a50285bi"}, kBench)));
    EXPECT_TRUE(
        std::holds_alternative<UsbSelectionRefusal>(SelectUsbPort({"0403", "6015", "A50285BI"}, kBench)));

    const auto several = std::get<UsbSelectionRefusal>(SelectUsbPort({"0403", "6001", ""}, kBench));
    EXPECT_EQ(several.Problem,
              "--port usb:0403:6001 matches 2 USB adapters: name one by its serial number (usb:SERIAL)");
    EXPECT_EQ(several.Candidates,
              (std::vector<std::string>{"  /dev/ttyUSB0  0403:6001, serial A50285BI, FT232R USB UART",
                                        "  /dev/ttyUSB1  0403:6001, serial A9XK3LQ2, FT232R USB UART",
                                        "  /dev/ttyUSB2  0403:6015, serial DN04ABCD, FT232R USB UART"}));
    const auto none = std::get<UsbSelectionRefusal>(SelectUsbPort({"", "", "NOPE"}, kBench));
    EXPECT_EQ(none.Problem, "--port usb:NOPE matches none of the USB adapters present");
    EXPECT_EQ(none.Candidates.size(), 3U);
    const auto noAdapter =
        std::get<UsbSelectionRefusal>(SelectUsbPort({"", "", "NOPE"}, std::span(kBench).first(1)));
    EXPECT_EQ(noAdapter.Problem, "--port usb:NOPE: no USB adapter is present");
    EXPECT_TRUE(noAdapter.Candidates.empty());
}

TEST(UsbSelection, TheFoundPortIsNamedByItsDeviceAndSerialNumberInTheOutputAndItsCaptureFile) {
    std::vector<PortTarget> ports{*ParsePortTarget("usb:0403:6015"), *ParsePortTarget("5")};
    EXPECT_EQ(ports[0].Name(), "usb:0403:6015");
    ASSERT_FALSE(ResolveUsbPorts(ports, kBench));
    EXPECT_EQ(ports[0].DevicePath, "/dev/ttyUSB2");
    ASSERT_TRUE(ports[0].Adapter);
    EXPECT_EQ(ports[0].Adapter->SerialNumber, "DN04ABCD");
    EXPECT_EQ(ports[0].Name(), "usb:DN04ABCD (/dev/ttyUSB2)");
    EXPECT_EQ(ports[1], (PortTarget{5, {}}));
    EXPECT_EQ(CapturePathForPort("capture.txt", ports[0], true), "capture-usb-DN04ABCD.txt");

    // Whatever an adapter maker put in its serial number, the capture file's name stays a file name.
    PortTarget odd = ports[0];
    odd.Adapter->SerialNumber = "A/B\\C:D*E?F\"G<H>I|J";
    EXPECT_EQ(odd.FileTag(), "usb-A-B-C-D-E-F-G-H-I-J");
}

TEST(UsbSelection, OneAdapterNamedTwiceIsRefused) {
    for (const char* other : {"usb:0403:6001:A50285BI", "5", "/dev/ttyUSB0"}) {
        std::vector<PortTarget> ports{*ParsePortTarget("usb:A50285BI"), *ParsePortTarget(other)};
        const std::optional<UsbSelectionRefusal> refusal = ResolveUsbPorts(ports, kBench);
        ASSERT_TRUE(refusal) << other;
        EXPECT_THAT(refusal->Problem, testing::HasSubstr("are one port (/dev/ttyUSB0)")) << other;
    }
    std::vector<PortTarget> apart{*ParsePortTarget("usb:A50285BI"), *ParsePortTarget("6")};
    EXPECT_FALSE(ResolveUsbPorts(apart, kBench));
}

TEST(UsbSelection, AnUploadToAnAdapterNotPresentSendsNothingAndListsTheAdapters) {
    std::ostringstream out;
    std::ostringstream err;
    UploadContext context;
    context.listPorts = [] { return kBench; };
    context.stopRequested = [] { return false; };
    const int status = RunUpload(std::vector<std::string>{"--port", "usb:A50285BX", "missing-firmware.hex"},
                                 out, err, context);
    EXPECT_EQ(status, kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(
        err.str(),
        "--port usb:A50285BX matches none of the USB adapters present. Try 'flash410-cli upload --help'.\n"
        "USB adapters present:\n"
        "  /dev/ttyUSB0  0403:6001, serial A50285BI, FT232R USB UART\n"
        "  /dev/ttyUSB1  0403:6001, serial A9XK3LQ2, FT232R USB UART\n"
        "  /dev/ttyUSB2  0403:6015, serial DN04ABCD, FT232R USB UART\n");
}

}  // namespace
}  // namespace flash410::cli
