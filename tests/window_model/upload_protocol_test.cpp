// The upload dialogue, tick by tick, against a fake line: the handshake, the erase phase, the block loop
// with every kind of block request, the end screens, time-outs, and an upload that cannot go on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "history/upload_history.h"
#include "platform/sha256.h"
#include "support/fake_serial_line.h"
#include "support/temp_folder.h"
#include "window_model/main_window_model.h"

namespace flash410::window_model {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr std::size_t kBlock = 1031;

// A valid upload image of count blocks; block k is filled with the byte first + k, 0x0D and 0x00
// included.
std::string Image(int count, char first = 'a') {
    std::string image;
    unsigned imageSum = static_cast<unsigned>(4096 - count) * 1024 * 0xFF;
    for (int k = 0; k < count; ++k) {
        char header[16];
        std::snprintf(header, sizeof header, "%06X", k * 0x400);
        std::string block = header + std::string(1024, static_cast<char>(first + k));
        block[6] = '\r';
        block[7] = '\0';
        unsigned blockSum = 0;
        for (std::size_t at = 0; at < block.size(); ++at) {
            blockSum += static_cast<unsigned char>(block[at]);
            imageSum += at >= 6 ? static_cast<unsigned char>(block[at]) : 0;
        }
        block.push_back(static_cast<char>(blockSum & 0xFF));
        image += block;
    }
    char trailer[8];
    std::snprintf(trailer, sizeof trailer, "%04X", imageSum & 0xFFFF);
    return image + trailer;
}

class UploadProtocol : public ::testing::Test {
  protected:
    test_support::TempFolder temp_{"upload"};  // declared first, so it is removed last
    UploadProtocol() { folder_ = temp_.folder(); }
    ~UploadProtocol() override { core_.reset(); }

    // Opens the port, chooses a ready image of count blocks and presses Start Upload.
    void Start(int count, const std::string& type = "BULK") {
        image_ = Image(count);
        std::ofstream(folder_ + "fw.vxf", std::ios::binary) << image_;
        core_ = std::make_unique<MainWindowModel>(WindowModelEnvironment{
            &line_, [this] { DeliverPending(); }, [this] { return clock_; }, flash410::BesideProgram(folder_),
            [this](const std::string&) { return std::optional(folder_ + "fw.vxf"); },
            [this] { return presentPorts_; }});
        core_->Activate();
        core_->screen().UploadTypeList.SelectText(type);
        core_->OpenPort();
        Tick(3);
        core_->ChooseFile();
        Tick();  // the run prompt
        core_->StartUpload();
        line_.sent.clear();
    }
    // The ports the window's lookup finds.
    std::vector<serial::PortDescription> presentPorts_;
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) core_->Tick();
    }
    // The modem's bytes, noticed as the window notices them while a tick runs: the tick lets pending
    // receive notifications through first, then performs its step.
    void Modem(const std::string& text) { line_.incoming += text; }
    // The modem's bytes, noticed between ticks: a complete reply is acted on at once.
    void ModemBetweenTicks(const std::string& text) {
        Modem(text);
        DeliverPending();
    }
    void DeliverPending() {
        if (!line_.incoming.empty()) {
            core_->ReadMessage();
        }
    }
    // From the handshake to the block loop, waiting for the first block request.
    void ThroughErase() {
        Tick();  // the upload request
        Modem("READY\r\n");
        Tick();  // READY is seen, and GO sent at once
        Modem("ERASING\r\n");
        Tick();  // ERASING awaited and seen
        Modem("ERASE COMPLETE\r\n");
        Tick();  // the erase result awaited and checked, the block loop started at once
        ASSERT_EQ(Dialogue().Step, upload::DialogueStep::kAwaitBlockRequest);
        line_.sent.clear();
    }
    // The capture lines of block k of Image(): its address and checksum, then its data in rows of 64.
    static std::vector<std::string> BlockCaptureLines(int k) {
        char info[64];
        const auto checksum = static_cast<unsigned char>(Image(k + 1)[k * kBlock + kBlock - 1]);
        std::snprintf(info, sizeof info, "[info  ]  addr %06X  cksm %02X", k * 0x400, checksum);
        char fill[3];
        std::snprintf(fill, sizeof fill, "%02X", 'a' + k);
        const auto repeat = [&fill](int times) {
            std::string repeated;
            for (int i = 0; i < times; ++i) repeated += fill;
            return repeated;
        };
        std::vector<std::string> lines = {info, "[B000->]0D00" + repeat(62)};
        for (int row = 1; row < 16; ++row) {
            lines.push_back("[B" + std::to_string(64 * row) + "->]" + repeat(64));
        }
        return lines;
    }
    // The capture file's lines without their time stamps (the clock stands still at 10:00:00).
    std::vector<std::string> CaptureLines() const {
        std::ifstream file(folder_ + "Capture.txt", std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.starts_with("10:00:00:0"))
                line.erase(0, 10);
            lines.push_back(line);
        }
        return lines;
    }
    std::string Block(int k) const { return image_.substr(static_cast<std::size_t>(k) * kBlock, kBlock); }
    ScreenState& Screen() { return core_->screen(); }
    WindowState& State() { return core_->state(); }
    const upload::DialogueState& Dialogue() { return core_->dialogue(); }
    const upload::UploadEngine& Engine() { return core_->driver().Engine(); }

    std::string folder_;
    std::string image_;
    double clock_ = 10 * 3600.0;
    test_support::FakeSerialLine line_;
    std::unique_ptr<MainWindowModel> core_;
};

TEST_F(UploadProtocol, StartUploadPreparesTheRunPanelForTheHandshake) {
    Start(2);
    EXPECT_EQ(Screen().ProgressLine.Caption, "Please, wait....");
    EXPECT_EQ(Screen().ProgressLine.FontPointSize, 13);
    EXPECT_EQ(Screen().WarningLine.Caption, "DO NOT INTERRUPT UPLOAD");
    EXPECT_FALSE(Screen().WarningLine.Visible);
    EXPECT_EQ(Screen().WarningLine.Color, TextColor::kRed);
    EXPECT_FALSE(Screen().UploadButton.Visible);
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kSendUploadRequest);
}

TEST_F(UploadProtocol, TheUploadRequestIsRepeatedEveryTickUntilReady) {
    Start(1);
    Tick(3);
    EXPECT_EQ(line_.sent, "UP BULK\rUP BULK\rUP BULK\r");
    EXPECT_EQ(Screen().Timer.IntervalMs, 500);
    Modem("xxREA");
    Tick();
    Modem("DY");  // READY split over two receive events, without a line end
    line_.sent.clear();
    Tick();
    EXPECT_EQ(line_.sent, "GO\r");  // GO follows READY at once, without another request
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kAwaitErasing);
    EXPECT_TRUE(Screen().WarningLine.Visible);
    EXPECT_EQ(Screen().Timer.IntervalMs, 50);
    EXPECT_EQ(Dialogue().HandshakeTries, 4);
}

TEST_F(UploadProtocol, MPlusCSendsItsOwnRequest) {
    Start(1, "M+C");
    Tick(2);
    EXPECT_EQ(line_.sent, "UP MC\rUP MC\r");
}

TEST_F(UploadProtocol, AModemThatNeverAnswersGets251RequestsThenATimeOut) {
    Start(1);
    Tick(251);
    EXPECT_EQ(Dialogue().HandshakeTries, 251);
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kTimedOut);
    Tick();
    EXPECT_EQ(Screen().ProgressLine.Caption, "Timed out waiting for response");
    EXPECT_TRUE(Screen().RepeatUploadButton.Visible);
    EXPECT_TRUE(Screen().BackToStartButton.Visible);
    EXPECT_EQ(line_.sent.size(), 251u * 8);
}

TEST_F(UploadProtocol, AWholeUploadSendsEveryBlockOnRequestAndEndsWithTheTimeTaken) {
    Start(3);
    ThroughErase();
    EXPECT_EQ(Screen().ProgressLine.Caption, "Erase complete...");
    EXPECT_TRUE(Screen().Gauge.Visible);
    EXPECT_EQ(Screen().Gauge.MaxValue, 3);
    for (int k = 0; k < 3; ++k) {
        Modem("SEND BLOCK\r\n");
        Tick();
        EXPECT_EQ(line_.sent, Block(k)) << k;
        EXPECT_EQ(Screen().ProgressLine.Caption, "Sending block " + std::to_string(k + 1) + " of 3...");
        EXPECT_EQ(Screen().Gauge.Progress, k + 1);
        line_.sent.clear();
    }
    Modem("SEND BLOCK\r\n");
    Tick();  // all sent: UPLOAD DONE, no block
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kSendUploadDone);
    Tick();
    EXPECT_EQ(line_.sent, "UPLOAD DONE\r");
    EXPECT_EQ(Screen().RunInstructionLine.Caption, "Upload done...");
    clock_ += 42;
    Modem("THANK YOU\r\n");
    Tick(3);  // THANK YOU awaited, the upload finished, the end shown
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kIdle);
    EXPECT_EQ(Screen().RunInstructionLine.Caption, "Software Upload complete");
    EXPECT_EQ(Screen().WarningLine.Caption, "The 410 will re-boot. Upload is complete");
    EXPECT_EQ(Screen().WarningLine.FontPointSize, 15);
    EXPECT_EQ(Screen().WarningLine.Color, TextColor::kBlue);
    EXPECT_EQ(Screen().ResultLine.Caption, "Upload complete. Time taken: 42 seconds");
    EXPECT_FALSE(Screen().Gauge.Visible);
    EXPECT_TRUE(Screen().RepeatUploadButton.Visible);
    EXPECT_EQ(State().HelpTopic, 5);
}

TEST_F(UploadProtocol, BlockRequestsAreClassifiedInTheirFixedOrder) {
    Start(5);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.sent.clear();
    struct Case {
        const char* request;
        int blocksSentAfter;  // 0 based index of the block that goes out
    };
    // Block 1 is out; each request below either re-sends the current block or sends the next.
    const Case cases[] = {
        {"R\r\n", 1}, {"XR\r\n", 1}, {"RESEND FAILED\r\n", 1},
        {"S\r\n", 2}, {"RS\r\n", 3}, {"SEND FAILED\r\n", 4},
    };
    for (const Case& c : cases) {
        Modem(c.request);
        Tick();
        EXPECT_EQ(Dialogue().BlocksSent, c.blocksSentAfter) << c.request;
        EXPECT_EQ(line_.sent, Block(c.blocksSentAfter - 1)) << c.request;
        EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kAwaitBlockRequest) << c.request;
        line_.sent.clear();
    }
}

TEST_F(UploadProtocol, AnUnknownRequestResendsOnTheNextTickWithoutCountingABlock) {
    Start(2);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.sent.clear();
    for (const char* request : {"OK\r\n", "RR\r\n"}) {
        Modem(request);
        Tick();
        EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kResendBlock) << request;
        EXPECT_TRUE(line_.sent.empty());
        Tick();
        EXPECT_EQ(line_.sent, Block(0)) << request;
        EXPECT_EQ(Dialogue().BlocksSent, 1);
        EXPECT_EQ(Screen().ProgressLine.Caption, "Sending block 1 of 2...");
        line_.sent.clear();
    }
}

TEST_F(UploadProtocol, ASilentModemGetsTheSameBlockAgainAfter2000Ticks) {
    Start(2);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.sent.clear();
    Tick(1999);
    EXPECT_TRUE(line_.sent.empty());
    Tick(2);  // the 2000th tick times out to 999, the next re-sends
    EXPECT_EQ(line_.sent, Block(0));
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kAwaitBlockRequest);
}

TEST_F(UploadProtocol, ASilentModemIsShownOnTheProgressLineEachTimeTheBlockGoesAgain) {
    Start(3);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.sent.clear();
    Tick(2000);  // the last tick of the wait gives up on the reply
    EXPECT_EQ(Screen().ProgressLine.Caption, "Sending block 1 of 3...");
    EXPECT_TRUE(line_.sent.empty());
    Tick();
    EXPECT_EQ(line_.sent, Block(0));
    EXPECT_EQ(Screen().ProgressLine.Caption, "No answer from the modem for 100 s: block 1 sent again");
    EXPECT_EQ(Dialogue().BlocksSent, 1);
    EXPECT_EQ(Screen().Gauge.Progress, 1);

    line_.sent.clear();
    Tick(2001);  // still silent: the same block once more, and the same words
    EXPECT_EQ(line_.sent, Block(0));
    EXPECT_EQ(Screen().ProgressLine.Caption, "No answer from the modem for 100 s: block 1 sent again");

    Modem("SEND BLOCK\r\n");  // the modem is back: the progress line goes on
    Tick();
    EXPECT_EQ(Screen().ProgressLine.Caption, "Sending block 2 of 3...");
}

TEST_F(UploadProtocol, RequestsForTheSameBlockAreCountedUntilTheModemAsksForTheNext) {
    Start(3);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    const char* const requests[] = {"RESEND BLOCK\r\n", "R\r\n", "RESEND\r\n", "XR\r\n"};
    const char* const counts[] = {"1 time", "2 times", "3 times", "4 times"};
    for (int i = 0; i < 4; ++i) {
        line_.sent.clear();
        Modem(requests[i]);
        Tick();
        EXPECT_EQ(line_.sent, Block(0)) << requests[i];
        EXPECT_EQ(Screen().ProgressLine.Caption,
                  std::string("The modem asked for block 1 again (") + counts[i] + ")");
    }
    EXPECT_EQ(Dialogue().BlocksSent, 1);

    // A silence or a line the program does not know in between does not end the count.
    Tick(2001);
    EXPECT_EQ(Screen().ProgressLine.Caption, "No answer from the modem for 100 s: block 1 sent again");
    Modem("R\r\n");
    Tick();
    EXPECT_EQ(Screen().ProgressLine.Caption, "The modem asked for block 1 again (5 times)");
    Modem("OK\r\n");
    Tick(2);
    EXPECT_EQ(Screen().ProgressLine.Caption, "The modem asked for block 1 again (5 times)");
    Modem("R\r\n");
    Tick();
    EXPECT_EQ(Screen().ProgressLine.Caption, "The modem asked for block 1 again (6 times)");

    // The next block starts the count afresh.
    Modem("S\r\n");
    Tick();
    EXPECT_EQ(Screen().ProgressLine.Caption, "Sending block 2 of 3...");
    line_.sent.clear();
    Modem("RESEND BLOCK\r\n");
    Tick();
    EXPECT_EQ(line_.sent, Block(1));
    EXPECT_EQ(Screen().ProgressLine.Caption, "The modem asked for block 2 again (1 time)");
}

TEST_F(UploadProtocol, TheProgressLineDuringResendsLeavesTheCaptureLogAsItWas) {
    Start(2);
    ThroughErase();
    core_->ToggleCapture();
    Modem("SEND BLOCK\r\n");
    Tick();
    Modem("RESEND BLOCK\r\n");
    Tick();
    Tick(2001);
    core_->ToggleCapture();

    std::vector<std::string> expected = {"[start]", "[in][lf]SEND BLOCK[cr][lf]", "[pn]67"};
    const auto block = BlockCaptureLines(0);
    expected.insert(expected.end(), block.begin(), block.end());
    expected.insert(expected.end(), {"[in]RESEND BLOCK[cr][lf]", "[pn]67"});
    expected.insert(expected.end(), block.begin(), block.end());
    expected.insert(expected.end(), {"[pn]67", "[pn]999", "[out]resend"});
    expected.insert(expected.end(), block.begin(), block.end());
    EXPECT_EQ(CaptureLines(), expected);
}

TEST_F(UploadProtocol, BlockRequestsBetweenTicksAreAnsweredAtOnceAndLoggedAsTheTickWould) {
    Start(3);
    ThroughErase();
    core_->ToggleCapture();
    for (int k = 0; k < 3; ++k) {
        ModemBetweenTicks("SEND BLOCK\r\n");
        EXPECT_EQ(line_.sent, Block(k)) << k;
        EXPECT_EQ(Screen().ProgressLine.Caption, "Sending block " + std::to_string(k + 1) + " of 3...");
        line_.sent.clear();
    }
    ModemBetweenTicks("SEND BLOCK\r\n");
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kSendUploadDone);
    EXPECT_TRUE(line_.sent.empty());  // UPLOAD DONE goes with the tick
    Tick();
    EXPECT_EQ(line_.sent, "UPLOAD DONE\r");
    clock_ += 7;
    ModemBetweenTicks("THANK YOU\r\n");
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kFinishUpload);
    Tick(2);
    EXPECT_EQ(Screen().ResultLine.Caption, "Upload complete. Time taken: 7 seconds");
    core_->ToggleCapture();

    std::vector<std::string> expected = {"[start]", "[in][lf]SEND BLOCK[cr][lf]", "[pn]67"};
    const auto first = BlockCaptureLines(0);
    expected.insert(expected.end(), first.begin(), first.end());
    const auto lines = CaptureLines();
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(expected.size())),
              expected);
}

TEST_F(UploadProtocol, HalfARequestBetweenTicksWaitsForItsLineEndAndCountsNoTick) {
    Start(2);
    ThroughErase();
    Tick(5);
    ModemBetweenTicks("SEND BL");
    EXPECT_TRUE(line_.sent.empty());
    EXPECT_EQ(Dialogue().WaitTicks, 5);
    ModemBetweenTicks("OCK\r\n");
    EXPECT_EQ(line_.sent, Block(0));
    EXPECT_EQ(Dialogue().WaitTicks, 0);
}

TEST_F(UploadProtocol, ReadyBetweenTicksIsTakenAtOnceWithoutAnotherRequest) {
    Start(1);
    Tick();
    ModemBetweenTicks("READY\r\n");
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kAwaitErasing);
    EXPECT_EQ(line_.sent, "UP BULK\rGO\r");  // GO at once, and no request after READY
    EXPECT_EQ(Screen().Timer.IntervalMs, 50);
}

TEST_F(UploadProtocol, FailedHaltsTheUploadWithTheTimeSinceGo) {
    Start(3);
    ThroughErase();
    core_->ToggleCapture();
    Modem("SEND BLOCK\r\n");
    Tick();
    clock_ += 42;
    Modem("FAILED\r\n");
    Tick(2);
    EXPECT_EQ(Screen().ProgressLine.Caption, "Upload failed");
    EXPECT_EQ(Screen().ResultLine.Caption, "Upload HALTED. Time taken: 42 seconds");
    EXPECT_EQ(Screen().ResultLine.Color, TextColor::kRed);
    EXPECT_EQ(Screen().WarningLine.Caption, "Click on <Close> button");
    EXPECT_TRUE(Screen().RepeatUploadButton.Visible);
    EXPECT_TRUE(Screen().BackToStartButton.Visible);
    EXPECT_FALSE(core_->CaptureEnabled());
    EXPECT_EQ(Screen().CaptureFileButton.Caption, "&Disable Capture File");
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kIdle);
}

TEST_F(UploadProtocol, AnUploadThatEndedIsAddedToTheHistoryOnce) {
    // An adapter behind every port, each with a serial number of its own.
    for (int port = 1; port <= 19; ++port) {
        presentPorts_.push_back({port, "/dev/ttyUSB" + std::to_string(port), serial::PortKind::kUsbAdapter,
                                 serial::UsbIdentity{"0403", "6001", "FTDI", "FT232R USB UART",
                                                     "SN" + std::to_string(port), "ftdi_sio", 16},
                                 "", ""});
    }
    Start(3, "M+C");
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    Modem("FAILED\r\n");
    Tick(2);
    core_->GoBackToStart();  // nothing under way: no second record

    const history::HistoryContents history = history::ReadHistory(folder_ + "history/upload-history.jsonl");
    ASSERT_EQ(history.Records.size(), 1U);
    const history::UploadRecord& record = history.Records[0];
    EXPECT_EQ(record.Program, "Flash410");
    EXPECT_EQ(record.Port, "COM" + Screen().PortList.Text());
    EXPECT_EQ(record.AdapterSerial, "SN" + Screen().PortList.Text());
    EXPECT_EQ(record.FileName, "fw.vxf");
    EXPECT_EQ(record.Request, "mc");
    EXPECT_EQ(record.Outcome, "failed");
    EXPECT_EQ(record.EndedAtBlock, 1);
    EXPECT_EQ(record.BlockCount, 3);
    EXPECT_EQ(record.ImageChecksum, image_.substr(image_.size() - 4));
    EXPECT_EQ(record.ImageSha256,
              platform::Sha256Hex(std::vector<std::uint8_t>(image_.begin(), image_.end())));
    EXPECT_FALSE(record.CaptureFile);
}

TEST_F(UploadProtocol, AHistoryThatCannotBeWrittenIsSaidAndTheResultStands) {
    temp_.Write("history", "a file where the history's folder goes");
    Start(1);
    ThroughErase();
    Modem("FAILED\r\n");
    Tick(2);
    EXPECT_EQ(Screen().ProgressLine.Caption, "Upload failed");
    EXPECT_THAT(Screen().ResultLine.Caption, ::testing::StartsWith("Upload HALTED."));
    ASSERT_EQ(Screen().Messages.size(), 1U);
    EXPECT_THAT(Screen().Messages[0],
                ::testing::StartsWith("The upload was not added to the history: cannot create the folder "));
}

TEST_F(UploadProtocol, EraseErrorsAreShownLineByLineUntilTheEraseCompletes) {
    Start(1);
    Tick();
    Modem("READY\r\n");
    Tick();
    Modem("ERASING\r\n");
    Tick();
    Modem("ERASE ERROR\r\n");
    Tick();  // the erase result awaited, and checked at once
    EXPECT_EQ(Screen().ProgressLine.Caption, "\nERASE ERROR\r\n");
    Modem("BAD BLOCK 3\r\n");
    Tick();  // the error block awaited, and shown at once
    EXPECT_EQ(Screen().ProgressLine.Caption, "\nBAD BLOCK 3\r\n");
    Modem("ERASE COMPLETE\r\n");
    Tick();  // checked, and the block loop started, at once
    EXPECT_EQ(Screen().ProgressLine.Caption, "Erase complete...");
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kAwaitBlockRequest);
}

TEST_F(UploadProtocol, AnEraseLineThatIsNeitherErrorNorCompleteStopsTheUpload) {
    Start(1);
    Tick();
    Modem("READY\r\n");
    Tick();
    Modem("ERASING\r\nERASE STARTED\r\n");
    Tick();  // both lines awaited and checked in the one tick
    EXPECT_EQ(Screen().ProgressLine.Caption, "unexpected response: \nERASE STARTED\r\n");
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kIdle);
}

TEST_F(UploadProtocol, EachWaitTimesOutWithItsOwnWords) {
    const std::pair<int, const char*> waits[] = {{0, "waiting for Erasing message"},
                                                 {1, "waiting for Erase Complete/Timeout"},
                                                 {2, "waiting for Error Block"}};
    for (const auto& [answered, words] : waits) {
        Start(1);
        Tick();
        Modem("READY\r\n");
        Tick();
        if (answered >= 1) {
            Modem("ERASING\r\n");
            Tick();
        }
        if (answered >= 2) {
            Modem("ERASE ERROR\r\n");
            Tick();
        }
        Tick(2001);
        EXPECT_EQ(Screen().ProgressLine.Caption, std::string("Timed out ") + words);
        EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kIdle);
    }
}

TEST_F(UploadProtocol, NoThankYouTimesOut) {
    Start(1);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.sent.clear();
    Modem("SEND BLOCK\r\n");
    Tick(2);  // all blocks sent: UPLOAD DONE
    EXPECT_EQ(line_.sent, "UPLOAD DONE\r");
    Tick(2001);
    EXPECT_EQ(Screen().ProgressLine.Caption, "Timed out waiting for Thank You");
}

TEST_F(UploadProtocol, ALostPortStopsTheUploadInPlainWords) {
    Start(3);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.SetActive(false);  // the adapter was pulled out; the port closed itself
    line_.sent.clear();
    Modem("SEND BLOCK\r\n");
    Tick();
    EXPECT_EQ(Screen().RunInstructionLine.Caption, "Upload stopped");
    EXPECT_THAT(Screen().ProgressLine.Caption, HasSubstr("connection to the modem was lost"));
    EXPECT_TRUE(Screen().RepeatUploadButton.Visible);
    EXPECT_TRUE(Screen().BackToStartButton.Visible);
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kIdle);
    EXPECT_TRUE(line_.sent.empty());

    // Repeat Upload opens the port again once the adapter is back.
    core_->RepeatUpload();
    Tick();
    core_->StartUpload();
    Tick();
    EXPECT_TRUE(line_.Active());
    EXPECT_EQ(line_.sent, "UP BULK\r");
}

TEST_F(UploadProtocol, LeavingMidUploadEndsItAsStoppedWithTheBlocksSentSoFar) {
    Start(3);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    core_->GoBackToStart();
    ASSERT_TRUE(Engine().LastResult().has_value());
    EXPECT_EQ(Engine().LastResult()->Outcome, upload::UploadOutcome::kStopped);
    EXPECT_EQ(Engine().LastResult()->BlocksSent, 1);
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kIdle);

    // Closing the program in the middle of the handshake ends that upload the same way.
    Start(1);
    Tick();
    core_->WindowClosing();
    EXPECT_EQ(Engine().LastResult()->Outcome, upload::UploadOutcome::kStopped);
    EXPECT_EQ(Engine().LastResult()->BlocksSent, 0);
}

TEST_F(UploadProtocol, AnImageCutOrRewrittenInPlaceDuringTheUploadIsNotWhatIsSent) {
    Start(2);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    EXPECT_EQ(line_.sent, Block(0));
    // Cut, then written over in place with another image of the same blocks, as "cp B.VXF A.VXF" does.
    fs::resize_file(folder_ + "fw.vxf", kBlock + 100);
    std::ofstream(folder_ + "fw.vxf", std::ios::binary | std::ios::in | std::ios::out) << Image(2, 'K');
    Modem("SEND BLOCK\r\n");
    Tick();
    Modem("SEND BLOCK\r\n");
    Tick(3);
    EXPECT_EQ(line_.sent.substr(0, 2 * kBlock), Block(0) + Block(1));
    EXPECT_EQ(Engine().LastResult(), std::nullopt);  // still waiting for THANK YOU
}

TEST_F(UploadProtocol, TheImageSentIsTheOneCheckedWhenItWasChosenEvenIfReplacedSince) {
    Start(2);
    // Another image takes the name after the check, as a preparation elsewhere would put it in place.
    std::ofstream(folder_ + "other.vxf", std::ios::binary) << Image(2, 'K');
    fs::rename(folder_ + "other.vxf", folder_ + "fw.vxf");
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    Modem("SEND BLOCK\r\n");
    Tick();
    EXPECT_EQ(line_.sent, Block(0) + Block(1));
}

TEST_F(UploadProtocol, CaptureDescribesEachBlockSent) {
    Start(1);
    ThroughErase();
    core_->ToggleCapture();
    Modem("SEND BLOCK\r\n");
    Tick();
    Modem("R\r\n");
    Tick();
    core_->ToggleCapture();
    std::ifstream file(folder_ + "Capture.txt", std::ios::binary);
    const std::string capture{std::istreambuf_iterator<char>(file), {}};
    char checksum[4];
    std::snprintf(checksum, sizeof checksum, "%02X", static_cast<unsigned char>(Block(0).back()));
    EXPECT_THAT(capture, HasSubstr("[info  ]  addr 000000  cksm " + std::string(checksum) + "\r\n"));
    const auto repeat = [](const std::string& text, int times) {
        std::string repeated;
        for (int i = 0; i < times; ++i) repeated += text;
        return repeated;
    };
    EXPECT_THAT(capture, HasSubstr("[B000->]0D00" + repeat("61", 62) + "\r\n"));
    EXPECT_THAT(capture, HasSubstr("[B64->]" + repeat("61", 64) + "\r\n"));
    EXPECT_THAT(capture, HasSubstr("[B960->]" + repeat("61", 64) + "\r\n"));
    EXPECT_THAT(capture, HasSubstr("[in]R[cr][lf]\r\n"));
}

}  // namespace
}  // namespace flash410::window_model
