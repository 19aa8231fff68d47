// The modem's line: the device the program opens, its link in the program folder, the pace of the
// line, and how the modem ends.
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "modem_fixture.h"
#include "support/temp_folder.h"

namespace modemsim::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using flash410::test_support::TempFolder;

// Descriptors of this process that name the device, other than the one given.
int HoldersOf(const std::string& device, int except = -1) {
    int holders = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const fs::path target = fs::read_symlink(entry.path(), error);
        if (!error && target == device && entry.path().filename() != std::to_string(except)) {
            ++holders;
        }
    }
    return holders;
}

using LineTest = ModemTest;

TEST_F(LineTest, TheDeviceIsRawBeforeTheProgramSetsItUp) {
    Start();
    termios settings{};
    ASSERT_EQ(::tcgetattr(pc().fd(), &settings), 0);
    EXPECT_EQ(settings.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
    EXPECT_EQ(settings.c_iflag & (ICRNL | INLCR | IGNCR | IXON | ISTRIP), 0u);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
}

TEST_F(LineTest, TheModemNeverHoldsTheDeviceOpen) {
    modem_ = std::make_unique<ModemSimulator>(SimConfig{});
    EXPECT_EQ(HoldersOf(modem().devicePath()), 0);
    pc_ = std::make_unique<ScriptedPc>(modem().devicePath());
    OpenUpload();
    EXPECT_EQ(HoldersOf(modem().devicePath(), pc().fd()), 0);
    CloseAndReport();
    EXPECT_EQ(HoldersOf(modem().devicePath()), 0);
}

TEST(PortLinkTest, LinksTheDeviceAsComNAndRemovesTheLinkAtTheEnd) {
    TempFolder folder;
    fs::path link;
    {
        ModemSimulator modem(SimConfig{}, PortLinkRequest{folder.path(), 3});
        link = folder.path() / "ports" / "com3";
        ASSERT_EQ(modem.linkPath(), link);
        EXPECT_EQ(fs::read_symlink(link), fs::path(modem.devicePath()));
        // The program opens the port through the link.
        ScriptedPc pc(link.string());
        pc.Send("UP BULK\r");
        EXPECT_EQ(pc.ReadLine(), "READY\r\n");
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(PortLinkTest, ReplacesAStaleLink) {
    TempFolder folder;
    fs::create_directories(folder.path() / "ports");
    const fs::path link = folder.path() / "ports" / "com1";
    fs::create_symlink("/dev/pts/does-not-exist", link);
    ModemSimulator modem(SimConfig{}, PortLinkRequest{folder.path(), 1});
    EXPECT_EQ(fs::read_symlink(link), fs::path(modem.devicePath()));
}

TEST(PortLinkTest, LeavesAnythingButALinkAlone) {
    TempFolder folder;
    fs::create_directories(folder.path() / "ports");
    const fs::path file = folder.path() / "ports" / "com2";
    std::ofstream(file) << "the operator's own";
    EXPECT_THROW(ModemSimulator(SimConfig{}, PortLinkRequest{folder.path(), 2}), std::runtime_error);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
}

TEST(PortLinkTest, RefusesPortsOutsideOneToNineteenAndMissingFolders) {
    TempFolder folder;
    EXPECT_THROW(ModemSimulator(SimConfig{}, PortLinkRequest{folder.path(), 0}), std::runtime_error);
    EXPECT_THROW(ModemSimulator(SimConfig{}, PortLinkRequest{folder.path(), 20}), std::runtime_error);
    EXPECT_THROW(ModemSimulator(SimConfig{}, PortLinkRequest{folder.path() / "missing", 1}),
                 std::runtime_error);
    EXPECT_FALSE(fs::exists(folder.path() / "ports" / "com0"));
}

TEST(ModemConfigTest, RefusesSettingsThatMakeNoSense) {
    SimConfig config;
    config.faults.readyOnRequest = 0;
    EXPECT_THROW(ModemSimulator{config}, std::invalid_argument);
    config = SimConfig{};
    config.blockByteTimeout = std::chrono::milliseconds(0);
    EXPECT_THROW(ModemSimulator{config}, std::invalid_argument);
    config = SimConfig{};
    config.pacing.baud = -1;
    EXPECT_THROW(ModemSimulator{config}, std::invalid_argument);
}

TEST_F(LineTest, StopEndsAWaitingModem) {
    modem_ = std::make_unique<ModemSimulator>(SimConfig{});
    modem().Stop();
    EXPECT_FALSE(modem().Running());
    EXPECT_TRUE(modem().Reports().empty());
    EXPECT_EQ(modem().Error(), "");
}

TEST_F(LineTest, StopEndsAnUploadInProgressAndReportsIt) {
    SimConfig config;
    config.eraseDuration = std::chrono::seconds(600);
    Start(config);
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    pc().Send("GO\r");
    EXPECT_EQ(pc().ReadLine(), "ERASING\r\n");
    modem().Stop();
    ASSERT_EQ(modem().Reports().size(), 1u);
    EXPECT_EQ(modem().Reports()[0].outcome, UploadOutcome::kStopped);
    EXPECT_FALSE(modem().Running());
}

TEST_F(LineTest, EndsWhenThePortClosesIfAskedTo) {
    SimConfig config;
    config.endOnHangUp = true;
    Start(config);
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    pc().Close();
    EXPECT_TRUE(modem().WaitUntilEnded(kGuard));
    EXPECT_EQ(modem().Reports().size(), 1u);
}

TEST_F(LineTest, EndsAfterTheUploadLimit) {
    SimConfig config;
    config.uploadLimit = 1;
    Start(config);
    OpenUpload();
    pc().Send("UPLOAD DONE\r");
    EXPECT_EQ(pc().ReadLine(), "THANK YOU\r\n");
    EXPECT_TRUE(modem().WaitUntilEnded(kGuard));
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadFor(std::chrono::milliseconds(200)), "");
}

// The modem can never be quicker than the line: a block in and the request line out take at least
// (1031 + 12) byte times of 10 bits.
Clock::duration TimeForBlockAndAnswer(ModemTest& test) {
    test.OpenUpload();
    const auto start = Clock::now();
    EXPECT_EQ(test.SendBlock("000000", Pattern(1)), "SEND BLOCK\r\n");
    return Clock::now() - start;
}

std::chrono::microseconds LineTime(int bytes, int baud) {
    return std::chrono::microseconds(static_cast<long long>(bytes) * 10 * 1000000 / baud);
}

TEST_F(LineTest, PacedAtTheGivenBaudRate) {
    SimConfig config;
    config.pacing.baud = 9600;
    Start(config);
    EXPECT_GE(TimeForBlockAndAnswer(*this), LineTime(1031 + 12, 9600));
}

TEST_F(LineTest, PacedAtTheRateTheProgramSetsOnItsPort) {
    SimConfig config;
    config.pacing.followPort = true;
    Start(config);
    termios settings{};
    ASSERT_EQ(::tcgetattr(pc().fd(), &settings), 0);
    ::cfsetspeed(&settings, B4800);
    ASSERT_EQ(::tcsetattr(pc().fd(), TCSANOW, &settings), 0);
    EXPECT_GE(TimeForBlockAndAnswer(*this), LineTime(1031 + 12, 4800));
}

}  // namespace
}  // namespace modemsim::testing
