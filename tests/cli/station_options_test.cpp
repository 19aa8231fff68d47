// The station's command line: what it watches, how the ports may be given, and the handshake that waits
// for a modem without end.
#include "cli/station_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

namespace flash410::cli {
namespace {

StationOptions Parsed(std::vector<std::string> arguments) {
    const ParsedStation parsed = ParseStationOptions(arguments, kLinuxConventions);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        ADD_FAILURE() << *problem;
        return {};
    }
    return std::get<StationOptions>(parsed);
}

std::string Refusal(std::vector<std::string> arguments) {
    const ParsedStation parsed = ParseStationOptions(arguments, kLinuxConventions);
    const auto* problem = std::get_if<std::string>(&parsed);
    return problem != nullptr ? *problem : "(taken)";
}

TEST(StationOptions, WatchesEveryUsbAdapterUnlessTold) {
    const StationOptions options = Parsed({"fw.hex"});
    EXPECT_EQ(options.Adapters, std::vector<UsbSelector>{UsbSelector{}});
    EXPECT_TRUE(options.Named.empty());
    EXPECT_EQ(options.File, "fw.hex");
}

TEST(StationOptions, TakesAdaptersAndNamedPortsRepeatedOrSeparatedByCommas) {
    const StationOptions options = Parsed({"--ports", "usb:0403:6001,5", "--ports=/dev/ttyS1", "--json",
                                           "--expect-sha256", std::string(64, 'A'), "fw.hex"});
    EXPECT_EQ(options.Adapters, (std::vector<UsbSelector>{{"0403", "6001", ""}}));
    ASSERT_EQ(options.Named.size(), 2U);
    EXPECT_EQ(options.Named[0].Name(), "COM5");
    EXPECT_EQ(options.Named[1].Name(), "/dev/ttyS1");
    EXPECT_TRUE(options.Json);
    EXPECT_EQ(options.ExpectedImageSha256, std::string(64, 'a'));
}

TEST(StationOptions, RefusesWhatIsNoPortOrNamesOneTwice) {
    EXPECT_EQ(Refusal({"--ports", "modem", "fw.hex"}),
              "--ports takes a port number 1-19, COM1 to COM19 or a device path, not \"modem\"");
    EXPECT_EQ(Refusal({"--ports", "5,COM5", "fw.hex"}),
              "--ports COM5 is given twice: each modem needs a port of its own");
    EXPECT_THAT(Refusal({"--ports", "usb:0403:", "fw.hex"}),
                ::testing::StartsWith("--ports takes a USB adapter as usb:any"));
    EXPECT_EQ(Refusal({"--ports", "usb:any"}), "Name the firmware file to upload");
}

TEST(StationOptions, TheRequestRepeatsUntilAModemAnswersAndLaterWaitsKeepTheTimeout) {
    const upload::UploadLimits limits = StationLimits(30);
    EXPECT_EQ(limits.HandshakeTries, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(limits.ReplyWaitTicks, LimitsForTimeout(30).ReplyWaitTicks);
    EXPECT_FALSE(limits.ResendOnSilence);
}

}  // namespace
}  // namespace flash410::cli
