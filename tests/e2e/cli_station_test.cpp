// The station in-process, against simulated modems over pseudo-terminals: USB adapters that come and go
// are made-up port listings that lead to the modems' lines; a port without adapter identity is a port link.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "cli/station_command.h"
#include "history/upload_history.h"
#include "modem_sim/modem_simulator.h"
#include "paced_modem.h"
#include "platform/sha256.h"
#include "support/firmware_files.h"
#include "support/linked_modem.h"
#include "support/program_folder.h"

namespace flash410::cli {
namespace {

using test_support::FlashBytes;
using test_support::kSimulatorReportGuard;
using ::testing::HasSubstr;
using ::testing::Not;

// Only keeps a broken station from hanging the suite.
constexpr std::chrono::seconds kGuard{60};

// Waits for the condition, looking every few milliseconds; false when the guard time passed first.
template <typename Condition>
bool Eventually(Condition condition) {
    const auto giveUp = std::chrono::steady_clock::now() + kGuard;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

int UploadsAnswered(const modemsim::ModemSimulator& modem) {
    int answered = 0;
    for (const modemsim::UploadReport& report : modem.Reports()) {
        answered += report.goReceived ? 1 : 0;
    }
    return answered;
}

// What the station writes, read by the test while the station's thread writes on.
class SharedOutput : public std::streambuf {
  public:
    std::string Text() {
        const std::lock_guard lock(mutex_);
        return text_;
    }

  protected:
    int overflow(int character) override {
        if (character != traits_type::eof()) {
            const std::lock_guard lock(mutex_);
            text_.push_back(static_cast<char>(character));
        }
        return character;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        const std::lock_guard lock(mutex_);
        text_.append(text, static_cast<std::size_t>(count));
        return count;
    }

  private:
    std::mutex mutex_;
    std::string text_;
};

class FlashingStation : public ::testing::Test {
  protected:
    ~FlashingStation() override { Stop(); }

    std::unique_ptr<modemsim::ModemSimulator> MakeModem(modemsim::SimConfig config = {}) {
        return std::make_unique<modemsim::ModemSimulator>(std::move(config));
    }

    // The adapter with this serial number is plugged in, its line leading to the modem.
    void Plug(const std::string& serial, const modemsim::ModemSimulator& modem) {
        serial::PortDescription port;
        port.Device = modem.devicePath();
        port.Kind = serial::PortKind::kUsbAdapter;
        port.Usb = serial::UsbIdentity{"0403", "6001", "FTDI", "FT232R USB UART", serial, "ftdi_sio", {}};
        const std::lock_guard lock(mutex_);
        present_.push_back(port);
    }
    void Pull(const std::string& serial) {
        const std::lock_guard lock(mutex_);
        std::erase_if(present_,
                      [&](const serial::PortDescription& port) { return port.Usb->SerialNumber == serial; });
    }
    // How many times the station has looked at the ports.
    int Looks() const { return looks_; }

    std::string Firmware(int blocks) {
        const std::string path = folder_.folder() + "fw.bin";
        test_support::WriteBytes(path, test_support::MakeFirmwareImage(blocks));
        return path;
    }

    void Start(std::vector<std::string> arguments, TerminalControl terminal = TerminalControl::kNone) {
        StationContext context;
        context.upload.linkFolder = folder_.folder();
        context.upload.stopRequested = [this] { return stop_.load(); };
        context.upload.terminal = terminal;
        context.upload.terminalColumns = [] { return std::size_t{200}; };
        context.upload.listPorts = [this] {
            ++looks_;
            const std::lock_guard lock(mutex_);
            return present_;
        };
        context.upload.historyFile = HistoryFile();
        context.logRecord = [this](const history::UploadRecord& record) {
            const std::lock_guard lock(mutex_);
            logged_.push_back(record);
            return std::optional<std::string>();
        };
        context.timeOfDay = [] { return 3600.0; };
        context.lookInterval = std::chrono::milliseconds(50);
        context.quietBeforeNext = std::chrono::milliseconds(600);
        thread_ =
            std::thread([this, context, arguments] { status_ = RunStation(arguments, out_, err_, context); });
    }
    int Stop() {
        stop_ = true;
        return Join();
    }
    // Waits for the station to end of its own accord.
    int Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return status_;
    }

    std::string HistoryFile() const { return folder_.folder() + "history/upload-history.jsonl"; }
    std::vector<history::UploadRecord> Logged() {
        const std::lock_guard lock(mutex_);
        return logged_;
    }

    std::string Out() { return outText_.Text(); }

    test_support::ProgramFolder folder_;
    std::ostringstream err_;

  private:
    SharedOutput outText_;

  protected:
    std::ostream out_{&outText_};

  private:
    std::mutex mutex_;
    std::vector<serial::PortDescription> present_;
    std::vector<history::UploadRecord> logged_;
    std::atomic<int> looks_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
    int status_ = -1;
};

TEST_F(FlashingStation, ThreeAdaptersPluggedOneAfterAnotherAreEachFlashedOnceAndRecorded) {
    const FlashBytes image = test_support::MakeFirmwareImage(6);
    test_support::WriteBytes(folder_.folder() + "fw.bin", image);
    auto first = MakeModem();
    auto second = MakeModem();
    auto third = MakeModem();
    Start({"--ports", "usb:0403:6001", folder_.folder() + "fw.bin"});
    Plug("FLA", *first);
    ASSERT_TRUE(first->WaitForUploads(1, kSimulatorReportGuard));
    Plug("FLB", *second);
    ASSERT_TRUE(second->WaitForUploads(1, kSimulatorReportGuard));
    Plug("FLC", *third);
    ASSERT_TRUE(Eventually([&] { return Logged().size() == 3; }));
    // Each modem stays connected while the station looks at the ports again and again.
    const int looks = Looks();
    ASSERT_TRUE(Eventually([&] { return Looks() >= looks + 10; }));
    EXPECT_EQ(Stop(), kExitSuccess) << Out() << err_.str();

    for (const auto* modem : {first.get(), second.get(), third.get()}) {
        EXPECT_EQ(UploadsAnswered(*modem), 1);
        EXPECT_TRUE(modem->Flash() == image);
    }
    const std::string out = Out();
    EXPECT_THAT(out, HasSubstr("01:00:00  /dev/pts/"));
    EXPECT_THAT(out, HasSubstr("adapter 0403:6001 FLB connected"));
    EXPECT_THAT(out, HasSubstr("usb:FLC (" + third->devicePath() + "): Upload complete. Time taken: "));
    EXPECT_THAT(out, HasSubstr("[3 complete, 0 failed, 0 lost]"));
    EXPECT_THAT(out, HasSubstr("Station stopped: 3 complete, 0 failed, 0 lost"));
    EXPECT_THAT(out, Not(HasSubstr("\x1b[")));  // plain lines, not a terminal's table

    std::vector<std::string> serials;
    for (const history::UploadRecord& record : history::ReadHistory(HistoryFile()).Records) {
        EXPECT_EQ(record.Outcome, "complete");
        serials.push_back(record.AdapterSerial.value_or(""));
    }
    EXPECT_THAT(serials, ::testing::ElementsAre("FLA", "FLB", "FLC"));
    ASSERT_EQ(Logged().size(), 3U);
    EXPECT_EQ(Logged().at(1).AdapterSerial, "FLB");
}

TEST_F(FlashingStation, AnAdapterPulledMidUploadIsLostAndTheOthersGoOn) {
    std::atomic<int> storedFirst{0};
    std::atomic<int> storedSecond{0};
    auto first = MakeModem(test_support::PacedModemCountingBlocks(storedFirst));
    auto second = MakeModem(test_support::PacedModemCountingBlocks(storedSecond));
    modemsim::SimConfig powerless;  // an adapter whose modem is never powered into its loader
    powerless.faults.neverReady = true;
    auto idle = MakeModem(powerless);
    Plug("FLA", *first);
    Plug("FLB", *second);
    Plug("FLZ", *idle);
    Start({"--ports", "usb:any", "--baud", "38400", Firmware(12)});
    ASSERT_TRUE(Eventually([&] { return storedFirst >= 2; }));
    Pull("FLA");
    first.reset();  // the line goes with the adapter
    ASSERT_TRUE(second->WaitForUploads(1, kSimulatorReportGuard));
    ASSERT_TRUE(Eventually([&] { return Logged().size() == 2; }));
    EXPECT_EQ(Stop(), kExitFailure);
    EXPECT_EQ(second->Reports().at(0).outcome, modemsim::UploadOutcome::kComplete);
    EXPECT_EQ(Logged().at(0).Outcome, "connection_lost");
    EXPECT_THAT(Out(), HasSubstr("adapter 0403:6001 FLA removed"));
    EXPECT_THAT(Out(), HasSubstr("Station stopped: 1 complete, 0 failed, 1 lost"));
    // Only the modems' uploads are recorded, not the requests that went unanswered on the third adapter.
    std::vector<std::string> recorded;
    for (const history::UploadRecord& record : history::ReadHistory(HistoryFile()).Records) {
        recorded.push_back(record.AdapterSerial.value_or("") + " " + record.Outcome);
    }
    EXPECT_THAT(recorded, ::testing::UnorderedElementsAre("FLA connection_lost", "FLB complete"));
    EXPECT_EQ(Logged().size(), 2U);
}

TEST_F(FlashingStation, AFirmwareWithAnotherSha256IsRefusedAndNothingIsSent) {
    std::atomic<int> heard{0};
    modemsim::SimConfig config;
    config.log = [&heard](const std::string&) { ++heard; };
    auto modem = MakeModem(config);
    Plug("FLA", *modem);
    const std::string file = Firmware(3);
    const std::string wrong(64, 'a');
    Start({"--expect-sha256", wrong, file});
    EXPECT_EQ(Join(), kExitUsage);
    EXPECT_THAT(err_.str(),
                HasSubstr("not the " + wrong + " expected: it is not that firmware, and nothing was sent"));
    EXPECT_EQ(Looks(), 0);
    EXPECT_EQ(heard, 0);
}

TEST_F(FlashingStation, APortWithoutAdapterWaitsForQuietBeforeItsNextModem) {
    const FlashBytes image = test_support::MakeFirmwareImage(4);
    test_support::WriteBytes(folder_.folder() + "fw.bin", image);
    auto first = test_support::StartModemLinkedAs(folder_, 2);
    Start({"--ports", "2", folder_.folder() + "fw.bin"});
    ASSERT_TRUE(Eventually([&] { return Logged().size() == 1; }));
    // The flashed modem keeps answering the requests: it is not flashed again.
    const int looks = Looks();
    ASSERT_TRUE(Eventually([&] { return Looks() >= looks + 30; }));
    EXPECT_EQ(UploadsAnswered(*first), 1);
    first.reset();  // unplugged: the line and the port link go
    ASSERT_TRUE(Eventually([&] { return Out().find("COM2: Cannot open COM2") != std::string::npos; }));
    auto second = test_support::StartModemLinkedAs(folder_, 2);
    ASSERT_TRUE(Eventually([&] { return Logged().size() == 2; }));
    EXPECT_TRUE(second->Flash() == image);
    EXPECT_EQ(Stop(), kExitSuccess) << Out();
    EXPECT_THAT(Out(), HasSubstr("Station stopped: 2 complete, 0 failed, 0 lost"));
}

TEST_F(FlashingStation, StoppingWithThreeUploadsUnderWayStopsThemAllAndSaysTheTotalsInJson) {
    std::array<std::atomic<int>, 3> stored{};
    std::vector<std::unique_ptr<modemsim::ModemSimulator>> modems;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        modems.push_back(MakeModem(test_support::PacedModemCountingBlocks(stored[i])));
        Plug("FL" + std::to_string(i), *modems.back());
    }
    Start({"--json", Firmware(30)});
    ASSERT_TRUE(Eventually([&] { return stored[0] >= 2 && stored[1] >= 2 && stored[2] >= 2; }));
    EXPECT_EQ(Stop(), kExitStopped);
    for (const auto& modem : modems) {
        ASSERT_TRUE(modem->WaitForUploads(1, kSimulatorReportGuard));
        EXPECT_LT(modem->Reports().at(0).blocksStored, 30);
    }
    std::istringstream lines(Out());
    std::string line;
    nlohmann::json last;
    int ends = 0;
    while (std::getline(lines, line)) {
        last = nlohmann::json::parse(line);  // every line is JSON
        ends += last["event"] == "end" ? 1 : 0;
    }
    EXPECT_EQ(ends, 3);
    EXPECT_EQ(last["event"], "station");
    EXPECT_EQ(last["stopped"], 3);
    EXPECT_EQ(last["complete"], 0);
}

TEST_F(FlashingStation, OnATerminalATableShowsEachPortAndTheCounts) {
    auto modem = MakeModem();
    Plug("FLA", *modem);
    Start({Firmware(2)}, TerminalControl::kCursorCodes);
    ASSERT_TRUE(Eventually([&] { return Logged().size() == 1; }));
    const int looks = Looks();
    ASSERT_TRUE(Eventually([&] { return Looks() >= looks + 10; }));
    EXPECT_EQ(Stop(), kExitSuccess);
    const std::string out = Out();
    EXPECT_THAT(out, HasSubstr("PORT"));
    EXPECT_THAT(out, ::testing::ContainsRegex("0403:6001 FLA +done: unplug it +2 of 2 +complete +00:0"));
    EXPECT_THAT(out, HasSubstr("\x1b[2K1 complete, 0 failed, 0 lost"));
}

}  // namespace
}  // namespace flash410::cli
