// The upload command's arguments: what it accepts, what it refuses before anything is prepared or opened,
// and the limits and file names it derives from them.
#include "cli/upload_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace flash410::cli {
namespace {

using ::testing::HasSubstr;

ParsedUpload Parse(std::vector<std::string> arguments, const SystemConventions& system = kLinuxConventions) {
    return ParseUploadOptions(arguments, system);
}

std::string ProblemWith(std::vector<std::string> arguments,
                        const SystemConventions& system = kLinuxConventions) {
    const ParsedUpload parsed = Parse(std::move(arguments), system);
    const auto* problem = std::get_if<std::string>(&parsed);
    return problem != nullptr ? *problem : "(accepted)";
}

TEST(UploadOptions, DefaultsAreTheWindowsBulkUploadOnCom1At38400) {
    const auto options = std::get<UploadOptions>(Parse({"fw.hex"}));
    EXPECT_EQ(options.Ports, (std::vector{PortTarget{1, {}}}));
    EXPECT_EQ(options.Baud, 38400);
    EXPECT_EQ(options.Request, upload::UploadRequest::kBulk);
    EXPECT_EQ(options.TimeoutSeconds, 100);
    EXPECT_FALSE(options.CapturePath.has_value());
    EXPECT_FALSE(options.Quiet);
    EXPECT_EQ(options.File, "fw.hex");
}

TEST(UploadOptions, EveryOptionIsTakenInAnyOrder) {
    const auto options = std::get<UploadOptions>(
        Parse({"--quiet", "--port", "COM5", "fw.vxf", "--baud", "19200", "--type", "mc", "--port",
               "/dev/ttyUSB1", "--capture", "log.txt", "--timeout", "7", "--port", "com12"}));
    EXPECT_EQ(options.Ports,
              (std::vector{PortTarget{5, {}}, PortTarget{0, "/dev/ttyUSB1"}, PortTarget{12, {}}}));
    EXPECT_EQ(options.Baud, 19200);
    EXPECT_EQ(options.Request, upload::UploadRequest::kMainAndConfiguration);
    EXPECT_EQ(options.CapturePath, "log.txt");
    EXPECT_EQ(options.TimeoutSeconds, 7);
    EXPECT_TRUE(options.Quiet);
    EXPECT_EQ(options.File, "fw.vxf");
}

TEST(UploadOptions, OnLinuxPortsAreNumbersOneToNineteenComNamesOrDevicePaths) {
    EXPECT_EQ(ParsePortTarget("19", kLinuxConventions), (PortTarget{19, {}}));
    EXPECT_EQ(ParsePortTarget("Com3", kLinuxConventions), (PortTarget{3, {}}));
    EXPECT_EQ(ParsePortTarget("/dev/pts/4", kLinuxConventions), (PortTarget{0, "/dev/pts/4"}));
    // Not a name Linux gives a port: a path like any other.
    EXPECT_EQ(ParsePortTarget("\\\\.\\COM5", kLinuxConventions), (PortTarget{0, "\\\\.\\COM5"}));
    for (const char* wrong : {"0", "20", "COM", "COM0", "COM20", "5x", "-3", "", "ttyUSB0", "COMX"}) {
        EXPECT_FALSE(ParsePortTarget(wrong, kLinuxConventions).has_value()) << wrong;
    }
    EXPECT_EQ((PortTarget{4, {}}.Name()), "COM4");
    EXPECT_EQ((PortTarget{0, "/dev/ttyACM0"}.Name()), "/dev/ttyACM0");
}

// Windows numbers its COM ports up to 255 and opens COMn as \\.\COMn, so that name is the port itself.
TEST(UploadOptions, OnWindowsPortsRunToCom255AndTheirDeviceNamesAreTheSamePorts) {
    for (const char* port : {"20", "COM20", "com20", "\\\\.\\COM20", "\\\\.\\com20", "\\\\.\\Com020"}) {
        EXPECT_EQ(ParsePortTarget(port, kWindowsConventions), (PortTarget{20, {}})) << port;
    }
    EXPECT_EQ(ParsePortTarget("COM255", kWindowsConventions), (PortTarget{255, {}}));
    // Other devices, and ports beyond the numbers, are opened by the name given.
    for (const char* device : {"\\\\.\\COM256", "\\\\.\\CNCA0", "\\\\.\\COM0", "\\\\?\\COM5"}) {
        EXPECT_EQ(ParsePortTarget(device, kWindowsConventions), (PortTarget{0, device})) << device;
    }
    for (const char* wrong : {"0", "256", "COM256", "COM0", "COM", "COM5:"}) {
        EXPECT_FALSE(ParsePortTarget(wrong, kWindowsConventions).has_value()) << wrong;
    }
}

TEST(UploadOptions, APortOutOfRangeIsRefusedWithTheSystemsRange) {
    EXPECT_EQ(ProblemWith({"--port", "20", "fw.hex"}, kLinuxConventions),
              "--port takes a port number 1-19, COM1 to COM19 or a device path, not \"20\"");
    EXPECT_EQ(ProblemWith({"--port", "COM256", "fw.hex"}, kWindowsConventions),
              "--port takes a port number 1-255, COM1 to COM255 or a device path, not \"COM256\"");
}

TEST(UploadOptions, OnWindowsOnePortUnderTwoNamesIsGivenTwice) {
    EXPECT_EQ(ProblemWith({"--port", "5", "--port", "\\\\.\\COM5", "fw.hex"}, kWindowsConventions),
              "--port \\\\.\\COM5 (COM5) is given twice: each modem needs a port of its own");
    EXPECT_THAT(ProblemWith({"--port", "\\\\.\\com7", "--port", "COM7", "fw.hex"}, kWindowsConventions),
                HasSubstr("given twice"));
}

TEST(UploadOptions, SlashQuestionMarkAsksForHelpOnWindowsAloneAndIsAFileNameOnLinux) {
    EXPECT_TRUE(std::holds_alternative<HelpRequested>(Parse({"/?"}, kWindowsConventions)));
    EXPECT_TRUE(std::holds_alternative<HelpRequested>(Parse({"--port", "3", "/?"}, kWindowsConventions)));
    EXPECT_EQ(std::get<UploadOptions>(Parse({"/?"}, kLinuxConventions)).File, "/?");
}

TEST(UploadOptions, MistakesAreNamedBeforeAnythingHappens) {
    EXPECT_THAT(ProblemWith({}), HasSubstr("Name the firmware file"));
    EXPECT_THAT(ProblemWith({"a.hex", "b.hex"}), HasSubstr("Only one firmware file"));
    EXPECT_THAT(ProblemWith({"--port", "COM2", "--port", "2", "fw.hex"}), HasSubstr("given twice"));
    EXPECT_THAT(ProblemWith({"--port", "25", "fw.hex"}), HasSubstr("\"25\""));
    EXPECT_THAT(ProblemWith({"--baud", "9600", "fw.hex"}), HasSubstr("19200 or 38400"));
    EXPECT_THAT(ProblemWith({"--type", "BULK", "fw.hex"}), HasSubstr("bulk or mc"));
    EXPECT_THAT(ProblemWith({"--timeout", "0", "fw.hex"}), HasSubstr("--timeout"));
    EXPECT_THAT(ProblemWith({"--timeout", "1e3", "fw.hex"}), HasSubstr("--timeout"));
    EXPECT_THAT(ProblemWith({"--timeout", "99999999999", "fw.hex"}), HasSubstr("--timeout"));
    EXPECT_THAT(ProblemWith({"fw.hex", "--port"}), HasSubstr("--port needs a value"));
    EXPECT_THAT(ProblemWith({"--capture", "", "fw.hex"}), HasSubstr("--capture"));
    EXPECT_THAT(ProblemWith({"--force", "fw.hex"}), HasSubstr("Unknown option: --force"));
    EXPECT_TRUE(std::holds_alternative<HelpRequested>(Parse({"--port", "3", "--help"})));
}

// The digest is taken in either case and kept as the history writes it; anything but 64 digits is refused.
TEST(UploadOptions, AnExpectedSha256IsSixtyFourHexadecimalDigitsInEitherCase) {
    const std::string digest(32, 'a');
    const auto options =
        std::get<UploadOptions>(Parse({"--expect-sha256", digest + std::string(32, 'F'), "fw.hex"}));
    EXPECT_EQ(options.ExpectedImageSha256, digest + std::string(32, 'f'));
    EXPECT_FALSE(std::get<UploadOptions>(Parse({"fw.hex"})).ExpectedImageSha256.has_value());
    for (const std::string& wrong :
         {std::string(63, 'a'), std::string(65, 'a'), std::string(63, 'a') + "g"}) {
        EXPECT_EQ(ProblemWith({"--expect-sha256", wrong, "fw.hex"}),
                  "--expect-sha256 takes the 64 hexadecimal digits of a SHA-256, not \"" + wrong + "\"");
    }
}

// The forms a command line may also take: "--option=value", "--" before a file named like an option, and
// "-" as a file's name.
TEST(UploadOptions, ValuesAfterAnEqualsSignAndFilesAfterTheEndOfOptionsAreTaken) {
    const auto options = std::get<UploadOptions>(Parse({"--port=COM3", "--timeout=9", "--", "--quiet"}));
    EXPECT_EQ(options.Ports, (std::vector{PortTarget{3, {}}}));
    EXPECT_EQ(options.TimeoutSeconds, 9);
    EXPECT_FALSE(options.Quiet);
    EXPECT_EQ(options.File, "--quiet");
    EXPECT_EQ(std::get<UploadOptions>(Parse({"-"})).File, "-");
    EXPECT_EQ(std::get<UploadOptions>(Parse({"--", "/?"}, kWindowsConventions)).File, "/?");
}

// Two values for one setting leave the upload ambiguous: which baud rate, which request was meant?
TEST(UploadOptions, AnOptionOfOneValueGivenTwiceIsRefused) {
    EXPECT_EQ(ProblemWith({"--baud", "19200", "fw.hex", "--baud", "38400"}), "--baud is given twice");
    EXPECT_EQ(ProblemWith({"--type=mc", "--type=mc", "fw.hex"}), "--type is given twice");
    EXPECT_EQ(ProblemWith({"--port=", "fw.hex"}), "--port needs a value");
    EXPECT_TRUE(std::get<UploadOptions>(Parse({"-q", "--quiet", "fw.hex"})).Quiet);
}

TEST(UploadOptions, TheTimeoutBecomesTheEnginesWaitsAndTries) {
    const upload::UploadLimits limits = LimitsForTimeout(100);
    EXPECT_EQ(limits.HandshakeTries, 200);   // 500 ms apart
    EXPECT_EQ(limits.ReplyWaitTicks, 2000);  // 50 ms apart: the window's wait
    EXPECT_FALSE(limits.ResendOnSilence);
    EXPECT_EQ(limits.RepeatedRequestLimit, 10);
    EXPECT_EQ(LimitsForTimeout(3).ReplyWaitTicks, 60);
}

TEST(UploadOptions, SeveralPortsPutTheirNameIntoTheCaptureFileName) {
    EXPECT_EQ(CapturePathForPort("logs/cap.txt", PortTarget{2, {}}, false), "logs/cap.txt");
    EXPECT_EQ(CapturePathForPort("logs/cap.txt", PortTarget{2, {}}, true), "logs/cap-COM2.txt");
    EXPECT_EQ(CapturePathForPort("cap", PortTarget{11, {}}, true), "cap-COM11");
    EXPECT_EQ(CapturePathForPort("/tmp/c.log", PortTarget{0, "/dev/ttyUSB0"}, true),
              "/tmp/c-dev-ttyUSB0.log");
    // Two devices with one last name are two files.
    EXPECT_NE(CapturePathForPort("c.log", PortTarget{0, "a/modem"}, true),
              CapturePathForPort("c.log", PortTarget{0, "b/modem"}, true));
}

TEST(UploadOptions, AFolderTakesAFileNamedByThePortWhateverTheNumberOfPorts) {
    EXPECT_EQ(CapturePathForPort("logs/", PortTarget{2, {}}, false), "logs/capture-COM2.txt");
    EXPECT_EQ(CapturePathForPort("logs/", PortTarget{0, "/dev/ttyUSB0"}, true),
              "logs/capture-dev-ttyUSB0.txt");
    const test_support::TempFolder folder("capture-folder");
    const std::string existing = (folder.path() / "logs").string();
    std::filesystem::create_directory(existing);
    for (const bool several : {false, true}) {
        EXPECT_EQ(CapturePathForPort(existing, PortTarget{7, {}}, several),
                  (std::filesystem::path(existing) / "capture-COM7.txt").string());
    }
}

}  // namespace
}  // namespace flash410::cli
