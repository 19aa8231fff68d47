// Whole uploads by the upload command, in-process, against simulated modems over pseudo-terminals: every
// input type, the faults on the line, and every way an upload can end, with the exit status each gives.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include <nlohmann/json.hpp>

#include "capture/capture_file.h"
#include "cli/upload_command.h"
#include "history/upload_history.h"
#include "line_faults.h"
#include "modem_sim/modem_simulator.h"
#include "paced_modem.h"
#include "platform/sha256.h"
#include "serial/line_peer_process.h"
#include "support/file_size_limit.h"
#include "support/firmware_files.h"
#include "support/linked_modem.h"
#include "support/program_folder.h"
#include "support/test_ui_thread.h"
#include "support/wired_serial.h"

namespace flash410::cli {
namespace {

namespace fs = std::filesystem;
using test_support::Faults;
using test_support::FlashBytes;
using test_support::kSimulatorReportGuard;
using test_support::LineFault;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr std::uint64_t kBlockBytes = 1031;

struct CliRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

class CliUpload : public ::testing::Test {
  protected:
    modemsim::ModemSimulator& StartModem(int port, modemsim::SimConfig config = {}) {
        modems_.push_back(test_support::StartModemLinkedAs(folder_, port, std::move(config)));
        return *modems_.back();
    }

    // The firmware in the form the extension names.
    std::string PutFirmware(const std::string& extension, const FlashBytes& image) {
        const std::string path = folder_.folder() + "fw" + extension;
        if (extension == ".bin") {
            test_support::WriteBytes(path, image);
        } else if (extension == ".vxf") {
            test_support::WriteUploadImageFile(path, image);
        } else {
            test_support::WriteBytes(path, test_support::ToIntelHex(image));
        }
        return path;
    }

    CliRun Upload(
        std::vector<std::string> arguments, std::function<bool()> stopRequested = [] { return false; }) {
        const UploadContext context{
            folder_.folder(), std::move(stopRequested), TerminalControl::kNone, {}, {}, HistoryFile()};
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunUpload(arguments, out, err, context);
        return {status, out.str(), err.str()};
    }

    std::string HistoryFile() const { return folder_.folder() + "history/upload-history.jsonl"; }

    test_support::ProgramFolder folder_;
    std::vector<std::unique_ptr<modemsim::ModemSimulator>> modems_;
};

class EveryInputTypeFromTheCommandLine : public CliUpload,
                                         public ::testing::WithParamInterface<const char*> {};

TEST_P(EveryInputTypeFromTheCommandLine, LeavesExactlyTheFirmwareInTheFlash) {
    const FlashBytes image = test_support::MakeFirmwareImage(9);
    modemsim::ModemSimulator& modem = StartModem(2);
    const CliRun run = Upload({"--port", "2", PutFirmware(GetParam(), image)});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Out << run.Err;
    EXPECT_THAT(run.Out, HasSubstr("COM2: Upload complete. Time taken: "));
    ASSERT_TRUE(modem.WaitForUploads(1, kSimulatorReportGuard));
    EXPECT_TRUE(modem.Flash() == image);
    EXPECT_EQ(modem.Reports().at(0).type, modemsim::UploadType::kBulk);
}

INSTANTIATE_TEST_SUITE_P(Inputs, EveryInputTypeFromTheCommandLine,
                         ::testing::Values(".hex", ".h86", ".mcs", ".bin", ".vxf"),
                         [](const auto& info) { return std::string(info.param + 1); });

class FaultsOnTheLineFromTheCommandLine : public CliUpload,
                                          public ::testing::WithParamInterface<LineFault> {};

TEST_P(FaultsOnTheLineFromTheCommandLine, StillLeaveExactlyTheFirmwareInTheFlash) {
    const FlashBytes image = test_support::MakeFirmwareImage(8);
    modemsim::SimConfig config;
    config.faults = GetParam().faults;
    modemsim::ModemSimulator& modem = StartModem(3, config);
    const CliRun run = Upload({"--port", "COM3", "--baud", "19200", PutFirmware(".hex", image)});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Out << run.Err;
    ASSERT_TRUE(modem.WaitForUploads(1, kSimulatorReportGuard));
    EXPECT_TRUE(modem.Flash() == image);
    EXPECT_EQ(modem.Reports().at(0).outcome, modemsim::UploadOutcome::kComplete);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultsOnTheLineFromTheCommandLine,
    ::testing::Values(LineFault{"ReadyLate", Faults([](auto& p) { p.readyOnRequest = 3; })},
                      LineFault{"EraseErrors", Faults([](auto& p) { p.eraseErrors = 2; })},
                      LineFault{"CorruptBlocks", Faults([](auto& p) { p.corruptEvery = 3; })},
                      LineFault{"ShortForms", Faults([](auto& p) { p.shortForms = true; })},
                      LineFault{"UnknownReply", Faults([](auto& p) { p.unknownReplyAfter = 2; })},
                      LineFault{"SplitReplies", Faults([](auto& p) { p.splitReplies = 3; })},
                      LineFault{"Noise", Faults([](auto& p) { p.noiseBytes = 5; })}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliUpload, MainAndConfigurationAsksForUpMc) {
    const FlashBytes image = test_support::MakeFirmwareImage(2);
    modemsim::ModemSimulator& modem = StartModem(2);
    const CliRun run = Upload({"--port", "2", "--type", "mc", PutFirmware(".bin", image)});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Out << run.Err;
    ASSERT_TRUE(modem.WaitForUploads(1, kSimulatorReportGuard));
    EXPECT_EQ(modem.Reports().at(0).type, modemsim::UploadType::kMc);
}

TEST_F(CliUpload, FailedFromTheModemHaltsTheUploadWithStatusOne) {
    modemsim::SimConfig config;
    config.faults.failAfter = 2;
    modemsim::ModemSimulator& modem = StartModem(2, config);
    const CliRun run = Upload({"--port", "2", PutFirmware(".bin", test_support::MakeFirmwareImage(5))});
    EXPECT_EQ(run.Status, kExitFailure);
    EXPECT_THAT(run.Out, HasSubstr("COM2: Upload HALTED. Time taken: "));
    EXPECT_THAT(run.Out, HasSubstr("at block 2 of 5"));
    ASSERT_TRUE(modem.WaitForUploads(1, kSimulatorReportGuard));
    EXPECT_EQ(modem.Reports().at(0).outcome, modemsim::UploadOutcome::kFailed);
}

TEST_F(CliUpload, AMissingPortIsNamedAndGivesStatusThree) {
    folder_.Link(7, folder_.folder() + "no-such-device");
    const CliRun run = Upload({"--port", "7", PutFirmware(".bin", test_support::MakeFirmwareImage(1))});
    EXPECT_EQ(run.Status, kExitPortUnavailable);
    EXPECT_THAT(run.Out, HasSubstr("COM7: Cannot open COM7 (" + folder_.folder() + "no-such-device)"));
}

TEST_F(CliUpload, ABusyPortNamesTheProgramThatHoldsIt) {
    modemsim::ModemSimulator& modem = StartModem(4);
    const serial::testing::LinePeerProcess holder({"hold", modem.devicePath()});
    ASSERT_EQ(holder.firstLine(), "ready");
    const CliRun run = Upload({"--port", "4", PutFirmware(".bin", test_support::MakeFirmwareImage(1))});
    EXPECT_EQ(run.Status, kExitPortUnavailable);
    EXPECT_THAT(run.Out, HasSubstr("line_peer (process " + std::to_string(holder.pid()) + ")"));
    EXPECT_TRUE(modem.Reports().empty());
}

TEST_F(CliUpload, AModemSilentBeyondTheTimeoutEndsTheUploadWithStatusFour) {
    modemsim::SimConfig config;
    config.faults.silences = {{modemsim::SilencePoint::kBeforeBlockRequest, 2, std::chrono::seconds(4)}};
    StartModem(2, config);
    const CliRun run =
        Upload({"--port", "2", "--timeout", "1", PutFirmware(".bin", test_support::MakeFirmwareImage(4))});
    EXPECT_EQ(run.Status, kExitTimedOut);
    EXPECT_THAT(run.Out, HasSubstr("COM2: Timed out waiting for SEND BLOCK message at block 2 of 4"));
}

TEST_F(CliUpload, AModemThatNeverSaysReadyTimesOut) {
    modemsim::SimConfig config;
    config.faults.neverReady = true;
    StartModem(2, config);
    const CliRun run =
        Upload({"--port", "2", "--timeout", "1", PutFirmware(".bin", test_support::MakeFirmwareImage(1))});
    EXPECT_EQ(run.Status, kExitTimedOut);
    EXPECT_THAT(run.Out, HasSubstr("COM2: Timed out waiting for response"));
}

TEST_F(CliUpload, StoppedInTheMiddleSendsNothingMoreAndReleasesThePort) {
    std::atomic<int> stored{0};
    const modemsim::SimConfig config = test_support::PacedModemCountingBlocks(stored);
    modemsim::ModemSimulator& modem = StartModem(2, config);
    const CliRun run = Upload({"--port", "2", PutFirmware(".bin", test_support::MakeFirmwareImage(20))},
                              [&stored] { return stored >= 3; });
    EXPECT_EQ(run.Status, kExitStopped);
    const std::string said = "COM2: Upload stopped by the operator at block ";
    const std::size_t at = run.Out.find(said);
    ASSERT_NE(at, std::string::npos) << run.Out;
    const int blocksSent = std::stoi(run.Out.substr(at + said.size()));
    EXPECT_GE(blocksSent, 3);
    EXPECT_LT(blocksSent, 20);

    ASSERT_TRUE(modem.WaitForUploads(1, kSimulatorReportGuard));
    const modemsim::UploadReport report = modem.Reports().at(0);
    EXPECT_EQ(report.outcome, modemsim::UploadOutcome::kHungUp);
    EXPECT_LE(report.blocksStored, blocksSent);
    // Everything the modem heard: the upload requests, GO and the blocks said to be sent, never more.
    EXPECT_LE(report.bytesReceived, report.uploadRequests * std::uint64_t{8} + 3 + blocksSent * kBlockBytes);

    test_support::TestUiThread ui;
    std::vector<std::string> errors;
    const auto serial = test_support::MakeWiredSerial(ui, folder_.folder(), errors);
    serial->SetPort(2);
    serial->SetActive(true);
    EXPECT_TRUE(serial->Active()) << (errors.empty() ? "" : errors.front());
}

TEST_F(CliUpload, AModemThatVanishesMidwayIsALostConnectionWithStatusOne) {
    std::atomic<int> stored{0};
    const modemsim::SimConfig config = test_support::PacedModemCountingBlocks(stored);
    StartModem(2, config);
    // The cable is pulled from the upload's own loop, once two blocks are in: the modem and its end of the
    // line go. The time-out would only end a hang.
    const CliRun run =
        Upload({"--port", "2", "--timeout", "30", PutFirmware(".bin", test_support::MakeFirmwareImage(20))},
               [this, &stored] {
                   if (stored >= 2) {
                       modems_.clear();
                   }
                   return false;
               });
    EXPECT_EQ(run.Status, kExitFailure) << run.Out;
    EXPECT_THAT(run.Out, HasSubstr("COM2: Upload stopped at block "));
    EXPECT_THAT(run.Out, HasSubstr("the connection to the modem was lost"));
}

TEST_F(CliUpload, ThreeModemsAtOnceEndEachTheirOwnWayAndTheWorstStatusIsReturned) {
    const FlashBytes image = test_support::MakeFirmwareImage(6);
    modemsim::SimConfig failing;
    failing.faults.failAfter = 1;
    modemsim::ModemSimulator& first = StartModem(2);
    modemsim::ModemSimulator& second = StartModem(3, failing);
    modemsim::ModemSimulator& third = StartModem(4);
    const CliRun run = Upload({"--port", "2", "--port", "3", "--port", "4", "--capture",
                               folder_.folder() + "capture.txt", PutFirmware(".hex", image)});
    EXPECT_EQ(run.Status, kExitFailure);
    EXPECT_THAT(run.Out, HasSubstr("COM2: Upload complete."));
    EXPECT_THAT(run.Out, HasSubstr("COM3: Upload HALTED."));
    EXPECT_THAT(run.Out, HasSubstr("COM4: Upload complete."));
    for (modemsim::ModemSimulator* modem : {&first, &second, &third}) {
        ASSERT_TRUE(modem->WaitForUploads(1, kSimulatorReportGuard));
    }
    EXPECT_TRUE(first.Flash() == image);
    EXPECT_TRUE(third.Flash() == image);
    for (const char* port : {"COM2", "COM3", "COM4"}) {
        EXPECT_TRUE(fs::is_regular_file(folder_.folder() + "capture-" + port + ".txt")) << port;
    }
}

TEST_F(CliUpload, OutsideATerminalTheOutputIsALineAtTheStartAtEachTenthAndAtTheEnd) {
    StartModem(2);
    const CliRun run = Upload({"--port", "2", PutFirmware(".bin", test_support::MakeFirmwareImage(20))});
    ASSERT_EQ(run.Status, kExitSuccess) << run.Err;
    std::vector<std::string> lines;
    std::istringstream stream(run.Out);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 3u) << run.Out;
    EXPECT_THAT(lines[0], StartsWith("Upload image: " + folder_.folder() + "fw.VXF (20 blocks, checksum "));
    EXPECT_EQ(lines[1], "COM2  waiting for READY");
    EXPECT_THAT(lines.back(), StartsWith("COM2: Upload complete. Time taken: "));
    EXPECT_LE(lines.size(), 14u);  // at most one line for each tenth
    EXPECT_EQ(run.Out.find('\x1b'), std::string::npos);
}

TEST_F(CliUpload, QuietSaysOnlyHowEachPortEnded) {
    StartModem(2);
    const CliRun run =
        Upload({"--quiet", "--port", "2", PutFirmware(".vxf", test_support::MakeFirmwareImage(3))});
    EXPECT_EQ(run.Status, kExitSuccess);
    EXPECT_THAT(run.Out, StartsWith("COM2: Upload complete. Time taken: "));
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 1);
}

TEST_F(CliUpload, TheCaptureLogHoldsTheDialogueInTheWindowsFormat) {
    StartModem(2);
    const std::string capture = folder_.folder() + "capture.txt";
    const CliRun run = Upload(
        {"--port", "2", "--capture", capture, PutFirmware(".bin", test_support::MakeFirmwareImage(2))});
    ASSERT_EQ(run.Status, kExitSuccess);
    std::ifstream file(capture);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_THAT(text, StartsWith("[start]\r\n"));
    EXPECT_THAT(text, HasSubstr("[co]com port open at 38400"));
    EXPECT_THAT(text, HasSubstr("[out]UP BULK[cr]"));
    EXPECT_THAT(text, HasSubstr("[in]READY"));
    EXPECT_THAT(text, HasSubstr("[info  ]  addr 000000"));
    EXPECT_THAT(text, HasSubstr("[B960->]"));
    EXPECT_THAT(text, HasSubstr("[in]THANK YOU"));
}

TEST_F(CliUpload, ACaptureFileOnAFullDiskIsReportedAndTheUploadGoesOn) {
    const std::string firmware = PutFirmware(".vxf", test_support::MakeFirmwareImage(4));
    const std::string capture = folder_.folder() + "capture.txt";
    // On a disk with room for a few lines of the log: the modem and its line live in the child too.
    const test_support::LimitedRun run = test_support::RunWithFileSizeLimit(3000, [&](std::string& report) {
        const auto modem = test_support::StartModemLinkedAs(folder_, 5);
        const CliRun upload = Upload({"--port", "5", "--capture", capture, firmware});
        report = upload.Out;
        return upload.Status;
    });
    EXPECT_EQ(run.Status, kExitSuccess) << run.Report;
    EXPECT_THAT(run.Report, HasSubstr("COM5: Upload complete."));
    EXPECT_THAT(run.Report, HasSubstr(capture));
    EXPECT_LE(fs::file_size(capture), 3000u);
}

TEST_F(CliUpload, AFileThatCannotBeMadeReadySendsNothing) {
    modemsim::ModemSimulator& modem = StartModem(2);
    const std::string broken = folder_.folder() + "broken.hex";
    test_support::WriteBytes(broken, std::string(":10000000ZZ\n"));
    for (const std::string& file :
         {broken, folder_.folder() + "missing.hex", folder_.folder() + "notes.txt"}) {
        const CliRun run = Upload({"--port", "2", file});
        EXPECT_EQ(run.Status, kExitUsage) << file;
        EXPECT_FALSE(run.Err.empty()) << file;
        EXPECT_THAT(run.Out, Not(HasSubstr("COM2"))) << file;
    }
    EXPECT_TRUE(modem.Reports().empty());
}

TEST_F(CliUpload, ACaptureFileThatCannotBeWrittenStopsTheUploadBeforeItStarts) {
    modemsim::ModemSimulator& modem = StartModem(2);
    const CliRun run = Upload({"--port", "2", "--capture", folder_.folder() + "no-folder/capture.txt",
                               PutFirmware(".bin", test_support::MakeFirmwareImage(1))});
    EXPECT_EQ(run.Status, kExitUsage);
    EXPECT_THAT(run.Err, HasSubstr("capture"));
    EXPECT_TRUE(modem.Reports().empty());
}

// A capture written into the firmware's own files, two names for one device, or a capture file that another
// upload is writing: each refused with status 2 before any port opens.
TEST_F(CliUpload, TargetsThatWouldCollideAreRefusedBeforeAnythingIsSent) {
    modemsim::ModemSimulator& modem = StartModem(2);
    const std::string firmware = PutFirmware(".hex", test_support::MakeFirmwareImage(1));
    const std::string held = folder_.folder() + "held.txt";
    const capture::CaptureFile otherUpload(held);
    const struct {
        std::vector<std::string> Arguments;
        std::string Said;
    } cases[] = {
        {{"--port", "2", "--port", modem.devicePath(), firmware},
         "--port COM2 and --port " + modem.devicePath() + " are one device"},
        {{"--port", "2", "--capture", firmware, firmware}, "the capture would be written into it"},
        {{"--port", "2", "--capture", folder_.folder() + "fw.VXF", firmware}, "is the firmware file"},
        {{"--port", "2", "--capture", folder_.folder() + "./fw.BIN", firmware}, "is the firmware file"},
        {{"--port", "2", "--capture", held, firmware}, "another upload is writing to it"},
    };
    for (const auto& [arguments, said] : cases) {
        const CliRun run = Upload(arguments);
        EXPECT_EQ(run.Status, kExitUsage) << run.Err;
        EXPECT_THAT(run.Err, HasSubstr(said));
    }
    EXPECT_TRUE(modem.Reports().empty());
    EXPECT_EQ(test_support::ReadFileBytes(folder_.folder() + "fw.VXF").size(), kBlockBytes + 4);
}

TEST_F(CliUpload, AnUploadThatBeganIsRecordedOnceAndAPortThatDidNotOpenIsNot) {
    StartModem(2);
    folder_.Link(7, folder_.folder() + "no-such-device");
    const std::string firmware = PutFirmware(".hex", test_support::MakeFirmwareImage(3));
    const CliRun run = Upload({"--port", "2", "--port", "7", firmware});
    EXPECT_EQ(run.Status, kExitPortUnavailable);

    const history::HistoryContents history = history::ReadHistory(HistoryFile());
    ASSERT_EQ(history.Records.size(), 1U);
    const history::UploadRecord& record = history.Records[0];
    EXPECT_EQ(record.Program, "flash410-cli");
    EXPECT_EQ(record.Port, "COM2");
    EXPECT_EQ(record.Device, modems_[0]->devicePath());
    EXPECT_EQ(record.Outcome, "complete");
    EXPECT_THAT(run.Out, HasSubstr("(3 blocks, checksum " + record.ImageChecksum + ")"));
    const std::string image = test_support::ReadFileBytes(folder_.folder() + "fw.VXF");
    EXPECT_EQ(record.ImageSha256, platform::Sha256Hex(std::vector<std::uint8_t>(image.begin(), image.end())));
}

// The SHA-256 that the history recorded lets the same firmware through again; any other stops the upload
// before a port is opened, naming both digests.
TEST_F(CliUpload, AnExpectedSha256LetsOnlyThatFirmwareReachTheModem) {
    modemsim::ModemSimulator& modem = StartModem(2);
    const std::string firmware = PutFirmware(".hex", test_support::MakeFirmwareImage(2));
    ASSERT_EQ(Upload({"--port", "2", firmware}).Status, kExitSuccess);
    ASSERT_TRUE(modem.WaitForUploads(1, kSimulatorReportGuard));
    const std::string recorded = history::ReadHistory(HistoryFile()).Records.at(0).ImageSha256;

    const CliRun same = Upload({"--port", "2", "--expect-sha256", recorded, firmware});
    EXPECT_EQ(same.Status, kExitSuccess) << same.Err;
    ASSERT_TRUE(modem.WaitForUploads(2, kSimulatorReportGuard));

    PutFirmware(".hex", test_support::MakeFirmwareImage(3));
    const CliRun other = Upload({"--port", "2", "--expect-sha256", recorded, firmware});
    EXPECT_EQ(other.Status, kExitUsage);
    EXPECT_THAT(other.Err, HasSubstr(", not the " + recorded +
                                     " expected: it is not that firmware, and nothing "
                                     "was sent"));
    const std::string image = test_support::ReadFileBytes(folder_.folder() + "fw.VXF");
    EXPECT_THAT(other.Err, HasSubstr("has the SHA-256 " + platform::Sha256Hex(std::vector<std::uint8_t>(
                                                              image.begin(), image.end()))));
    EXPECT_EQ(history::ReadHistory(HistoryFile()).Records.size(), 2U);  // no port was opened for it
    EXPECT_EQ(modem.Reports().size(), 2U);
}

TEST_F(CliUpload, JsonGivesOneObjectALineEndingEachPortWithItsHistoryRecord) {
    modemsim::SimConfig config;
    config.faults.corruptEvery = 4;
    StartModem(2, config);
    StartModem(3);
    const CliRun run = Upload(
        {"--json", "--port", "2", "--port", "3", PutFirmware(".vxf", test_support::MakeFirmwareImage(20))});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Err;

    std::map<std::string, std::vector<nlohmann::json>> byPort;
    std::istringstream lines(run.Out);
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json object = nlohmann::json::parse(line, nullptr, false);
        ASSERT_TRUE(object.is_object()) << line;
        ASSERT_TRUE(object.contains("event") && object.contains("port")) << line;
        byPort[object["port"]].push_back(object);
    }
    const history::HistoryContents history = history::ReadHistory(HistoryFile());
    ASSERT_EQ(history.Records.size(), 2U);
    for (const history::UploadRecord& record : history.Records) {
        const std::vector<nlohmann::json>& objects = byPort[record.Port];
        std::vector<std::string> events;
        for (const nlohmann::json& object : objects) {
            events.push_back(object["event"]);
        }
        // The corrupted blocks on COM2 go again, each said.
        EXPECT_EQ(std::count(events.begin(), events.end(), "block_sent_again"), record.BlocksSentAgain);
        EXPECT_EQ(events.front(), "port_opened");
        ASSERT_EQ(events.back(), "end");
        nlohmann::json end = objects.back();
        EXPECT_EQ(end["exit_status"], kExitSuccess);
        EXPECT_THAT(end["message"].get<std::string>(), StartsWith("Upload complete."));
        for (const char* added : {"event", "exit_status", "message"}) {
            end.erase(added);
        }
        EXPECT_EQ(end, nlohmann::json::parse(history::RecordToJson(record).dump())) << record.Port;
    }
    EXPECT_GT(history.Records[0].BlocksSentAgain + history.Records[1].BlocksSentAgain, 0);
}

TEST_F(CliUpload, AHistoryOnAFullDiskIsReportedAndTheUploadStillSucceeds) {
    const std::string firmware = PutFirmware(".vxf", test_support::MakeFirmwareImage(2));
    // Room for part of a record: the modem and its line live in the child too.
    const test_support::LimitedRun run = test_support::RunWithFileSizeLimit(200, [&](std::string& report) {
        const auto modem = test_support::StartModemLinkedAs(folder_, 5);
        const CliRun upload = Upload({"--port", "5", firmware});
        report = upload.Out + upload.Err;
        return upload.Status;
    });
    EXPECT_EQ(run.Status, kExitSuccess) << run.Report;
    EXPECT_THAT(run.Report, HasSubstr("COM5: Upload complete."));
    EXPECT_THAT(run.Report, HasSubstr("COM5: The upload was not added to the history: cannot write to " +
                                      HistoryFile() + ": only 200 of "));
}

}  // namespace
}  // namespace flash410::cli
