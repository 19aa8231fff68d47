#include "capture/capture_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

namespace flash410::capture {
namespace {

using test_support::ReadFileBytes;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr double kAt140307250 = 14 * 3600 + 3 * 60 + 7.25;
const std::string kStart = "[start]\r\n";

std::string Line(const std::string& textAfterStamp) {
    return "14:03:07:250" + textAfterStamp + "\r\n";
}

class CaptureLogTest : public ::testing::Test {
  protected:
    std::string Written() {
        log_.reset();  // closing writes the buffered tail out
        return ReadFileBytes(path_);
    }

    test_support::TempFolder folder_{"capture"};
    std::filesystem::path path_ = folder_.path() / "Capture.txt";
    std::unique_ptr<CaptureLog> log_ =
        std::make_unique<CaptureLog>(path_.string(), test::FakeClock({kAt140307250}));
};

using CaptureLogSwitching = CaptureLogTest;

TEST_F(CaptureLogSwitching, StartsOffWithoutAFile) {
    EXPECT_FALSE(log_->CaptureEnabled());
    EXPECT_EQ(log_->ButtonCaption(), "&Enable Capture File");
    EXPECT_EQ(log_->StatusText(), "Disabled");
    log_->WriteCaptureLine("0", "[pn]");
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(CaptureLogSwitching, SwitchingOnCreatesTheFileWithStartFirstAndOffClosesIt) {
    log_->ToggleCapture();
    EXPECT_TRUE(log_->CaptureEnabled());
    EXPECT_EQ(log_->ButtonCaption(), "&Disable Capture File");
    EXPECT_EQ(log_->StatusText(), "Enabled");
    log_->ToggleCapture();
    EXPECT_FALSE(log_->CaptureEnabled());
    EXPECT_EQ(log_->ButtonCaption(), "&Enable Capture File");
    EXPECT_EQ(log_->StatusText(), "Disabled");
    EXPECT_EQ(ReadFileBytes(path_), kStart);  // on disk before the log is destroyed
}

TEST_F(CaptureLogSwitching, EverySwitchOnAppendsAFurtherStart) {
    {
        CaptureLog earlierRun(path_.string(), test::FakeClock({kAt140307250}));
        earlierRun.ToggleCapture();
        earlierRun.WriteCaptureLine("5", "[pn]");
    }
    log_->ToggleCapture();
    log_->WriteCaptureLine("6", "[pn]");
    log_->ToggleCapture();
    log_->ToggleCapture();
    EXPECT_EQ(Written(), kStart + Line("[pn]5") + kStart + Line("[pn]6") + kStart);
}

TEST_F(CaptureLogSwitching, CloseCaptureClosesTheFileButLeavesTheButtonAlone) {
    log_->ToggleCapture();
    log_->WriteCaptureLine("UP MC\r", "[out]");
    log_->CloseCapture();
    EXPECT_FALSE(log_->CaptureEnabled());
    EXPECT_EQ(log_->ButtonCaption(), "&Disable Capture File");
    EXPECT_EQ(log_->StatusText(), "Enabled");
    EXPECT_EQ(ReadFileBytes(path_), kStart + Line("[out]UP MC[cr]"));
    log_->WriteCaptureLine("ignored", "[in]");
    EXPECT_EQ(Written(), kStart + Line("[out]UP MC[cr]"));
}

TEST_F(CaptureLogSwitching, AHaltedUploadStopsLoggingButLosesNothing) {
    log_->ToggleCapture();
    log_->WriteCaptureLine("FAILED\r\n", "[in]");
    log_->DisableWithoutClosing();
    EXPECT_FALSE(log_->CaptureEnabled());
    EXPECT_EQ(log_->ButtonCaption(), "&Disable Capture File");
    EXPECT_EQ(log_->StatusText(), "Enabled");
    log_->WriteCaptureLine("88", "[pn]");
    EXPECT_EQ(ReadFileBytes(path_), "");  // still buffered in the open file

    log_->ToggleCapture();
    EXPECT_TRUE(log_->CaptureEnabled());
    EXPECT_EQ(log_->ButtonCaption(), "&Disable Capture File");
    log_->WriteCaptureLine("0", "[pn]");
    EXPECT_EQ(Written(), kStart + Line("[in]FAILED[cr][lf]") + kStart + Line("[pn]0"));
}

TEST_F(CaptureLogSwitching, TheEndOfTheProgramWritesOutTheTailAfterAHalt) {
    log_->ToggleCapture();
    log_->WriteCaptureLine("67", "[pn]");
    log_->DisableWithoutClosing();
    EXPECT_EQ(Written(), kStart + Line("[pn]67"));
}

TEST_F(CaptureLogSwitching, TheStampTakesTheClockTextAndTheMillisecondsFromTwoReadings) {
    log_ = std::make_unique<CaptureLog>(path_.string(), test::FakeClock({50587.999, 50588.005}));
    log_->ToggleCapture();
    log_->WriteCaptureLine("44", "[pn]");
    EXPECT_EQ(Written(), kStart + "14:03:07:5[pn]44\r\n");
}

TEST(CaptureLogConstruction, RefusesAMissingClock) {
    EXPECT_THROW(CaptureLog("Capture.txt", platform::TimeOfDayClock()), std::invalid_argument);
}

class CaptureLogLines : public CaptureLogTest {
  protected:
    void SetUp() override { log_->ToggleCapture(); }
};

TEST_F(CaptureLogLines, ALineIsStampTagAndTextEndedByCrLf) {
    log_->WriteCaptureLine("UP MC\r", "[out]");
    EXPECT_EQ(Written(), kStart + "14:03:07:250[out]UP MC[cr]\r\n");
}

TEST_F(CaptureLogLines, ARepeatedLineIsWrittenOnce) {
    log_->WriteCaptureLine("44", "[pn]");
    log_->WriteCaptureLine("44", "[pn]");
    log_->WriteCaptureLine("44", "[co]");
    log_->WriteCaptureLine("45", "[pn]");
    log_->WriteCaptureLine("44", "[pn]");
    EXPECT_EQ(Written(), kStart + Line("[pn]44") + Line("[co]44") + Line("[pn]45") + Line("[pn]44"));
}

TEST_F(CaptureLogLines, RepetitionIsJudgedOnTheTranslatedText) {
    // Tag and text are joined before comparing, and two factory messages read alike once translated.
    log_->WriteCaptureLine("]1", "[pn");
    log_->WriteCaptureLine("1", "[pn]");
    log_->WriteCaptureLine("FAC=1", "[out]");
    log_->WriteCaptureLine("FAC=2", "[in]");
    EXPECT_EQ(Written(), kStart + Line("[pn]1") + Line(" Factory mode message accepted"));
}

TEST_F(CaptureLogLines, AnEmptyTagAndTextWriteNothing) {
    log_->WriteCaptureLine("", "");
    log_->WriteCaptureLine("", "[in]");
    EXPECT_EQ(Written(), kStart + Line("[in]"));
}

TEST_F(CaptureLogLines, AFactoryModeReplyIsLoggedWithoutItsTag) {
    log_->WriteCaptureLine("FAC=E 1\r\n", "[in]");
    EXPECT_EQ(Written(), kStart + Line(" Factory mode enabled"));
}

TEST_F(CaptureLogLines, TheSeventhCarriageReturnStaysRaw) {
    log_->WriteCaptureLine("1\r2\r3\r4\r5\r6\r7\r", "[in]");
    EXPECT_EQ(Written(), kStart + Line("[in]1[cr]2[cr]3[cr]4[cr]5[cr]6[cr]7\r"));
}

TEST_F(CaptureLogLines, TheStartLineDoesNotCountAsTheLastLine) {
    log_->WriteCaptureLine("", "[start]");
    EXPECT_EQ(Written(), kStart + Line("[start]"));
}

TEST_F(CaptureLogLines, AWriteWhileOffChangesNothing) {
    log_->WriteCaptureLine("A", "[in]");
    log_->ToggleCapture();
    log_->WriteCaptureLine("B", "[in]");
    log_->ToggleCapture();
    log_->WriteCaptureLine("A", "[in]");  // still the last line written
    log_->WriteCaptureLine("B", "[in]");
    EXPECT_EQ(Written(), kStart + Line("[in]A") + kStart + Line("[in]B"));
}

TEST_F(CaptureLogLines, TheLastLineSurvivesSwitchingOffAndOn) {
    log_->WriteCaptureLine("0", "[pn]");
    log_->ToggleCapture();
    log_->ToggleCapture();
    log_->WriteCaptureLine("0", "[pn]");
    log_->WriteCaptureLine("5", "[pn]");
    EXPECT_EQ(Written(), kStart + Line("[pn]0") + kStart + Line("[pn]5"));
}

TEST_F(CaptureLogLines, ALineIsNotForcedToDiskBeforeTheBufferFills) {
    std::string expected = kStart;
    int state = 0;
    while (expected.size() < CaptureFile::kBufferSize) {
        EXPECT_EQ(ReadFileBytes(path_), "") << "after " << expected.size() << " bytes";
        log_->WriteCaptureLine(std::to_string(state), "[pn]");
        expected += Line("[pn]" + std::to_string(state++));
    }
    EXPECT_EQ(ReadFileBytes(path_), expected.substr(0, CaptureFile::kBufferSize));
    EXPECT_EQ(Written(), expected);
}

class CaptureLogFailures : public ::testing::Test {
  protected:
    static void ExpectOffAndShownOff(const CaptureLog& log) {
        EXPECT_FALSE(log.CaptureEnabled());
        EXPECT_EQ(log.ButtonCaption(), "&Enable Capture File");
        EXPECT_EQ(log.StatusText(), "Disabled");
    }

    static void ExpectOpenFailure(const std::filesystem::path& path) {
        CaptureLog log(path.string(), test::FakeClock({kAt140307250}));
        for (int attempt = 0; attempt < 2; ++attempt) {  // the second click fails the same way
            try {
                log.ToggleCapture();
                ADD_FAILURE() << "capture switched on at " << path;
            } catch (const CaptureError& error) {
                EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
            }
            ExpectOffAndShownOff(log);
            EXPECT_NO_THROW(log.WriteCaptureLine("44", "[pn]"));
        }
        EXPECT_FALSE(std::filesystem::exists(path));
    }

    // Runs steps on a capture log whose file lies on a full disk (no byte fits), in a child process;
    // returns the lines of the trace the steps wrote.
    std::vector<std::string> OnAFullDisk(const std::function<void(CaptureLog&, std::string&)>& steps) const {
        const test_support::LimitedRun run = test_support::RunWithFileSizeLimit(0, [&](std::string& trace) {
            CaptureLog log(FullDiskPath(), test::FakeClock({kAt140307250}));
            steps(log, trace);
            return 0;
        });
        EXPECT_EQ(run.Status, 0) << run.Report;
        std::vector<std::string> lines;
        std::istringstream in(run.Report);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    std::string FullDiskPath() const { return (folder_ / "Capture.txt").string(); }
    void ExpectFullDiskFailure(const std::string& step) const {
        EXPECT_THAT(step, StartsWith("failed: "));
        EXPECT_THAT(step, HasSubstr(FullDiskPath()));
        EXPECT_THAT(step, HasSubstr(std::strerror(EFBIG)));
    }
    // "ok", or the failure's text.
    template <typename Step>
    static std::string Try(Step step) {
        try {
            step();
            return "ok";
        } catch (const CaptureError& error) {
            return "failed: " + std::string(error.what());
        }
    }
    static std::string Shown(const CaptureLog& log) {
        return std::string(log.CaptureEnabled() ? "on" : "off") + ", " + log.ButtonCaption() + ", " +
               log.StatusText();
    }
    static inline const std::string kShownOff = "off, &Enable Capture File, Disabled";
    static inline const std::string kShownOn = "on, &Disable Capture File, Enabled";

    test_support::TempFolder folder_{"capture"};
};

TEST_F(CaptureLogFailures, AFolderThatIsARegularFileCannotTakeTheFile) {
    const std::filesystem::path plain = folder_.path() / "program";
    CaptureFile(plain.string()).Close();
    ExpectOpenFailure(plain / "Capture.txt");
}

TEST_F(CaptureLogFailures, AMissingFolderCannotTakeTheFile) {
    ExpectOpenFailure(folder_.path() / "gone" / "Capture.txt");
}

TEST_F(CaptureLogFailures, AFailedWriteSwitchesCaptureOffAndTheNextSwitchOnWorks) {
    const std::vector<std::string> trace = OnAFullDisk([](CaptureLog& log, std::string& trace) {
        trace += Try([&] { log.ToggleCapture(); }) + "\n";
        int linesTaken = 0;
        trace += Try([&] {
                     for (; linesTaken < 64; ++linesTaken) {
                         log.WriteCaptureLine(std::to_string(linesTaken), "[pn]");
                     }
                 }) +
                 "\n";
        trace += std::string(linesTaken > 0 ? "lines buffered" : "no line taken") + "\n";
        trace += Shown(log) + "\n";
        trace += Try([&] { log.WriteCaptureLine("99", "[pn]"); }) + "\n";
        trace += Try([&] { log.ToggleCapture(); }) + "\n";
        trace += Shown(log);
    });
    ASSERT_EQ(trace.size(), 7u);
    EXPECT_EQ(trace[0], "ok");
    ExpectFullDiskFailure(trace[1]);
    EXPECT_EQ(trace[2], "lines buffered");  // the first lines only went into the buffer
    EXPECT_EQ(trace[3], kShownOff);
    EXPECT_EQ(trace[4], "ok");
    EXPECT_EQ(trace[5], "ok");
    EXPECT_EQ(trace[6], kShownOn);
}

TEST_F(CaptureLogFailures, AFailedCloseStillLeavesCaptureOffAndClosed) {
    const std::vector<std::string> trace = OnAFullDisk([](CaptureLog& log, std::string& trace) {
        log.ToggleCapture();
        log.WriteCaptureLine("0", "[pn]");
        trace += Try([&] { log.ToggleCapture(); }) + "\n";
        trace += Shown(log) + "\n";
        // The next click opens the file anew rather than finding a stale one.
        trace += Try([&] { log.ToggleCapture(); }) + "\n";
        trace += Shown(log) + "\n";
        trace += Try([&] { log.CloseCapture(); }) + "\n";
        trace += Shown(log) + "\n";
        trace += Try([&] { log.CloseCapture(); });
    });
    ASSERT_EQ(trace.size(), 7u);
    ExpectFullDiskFailure(trace[0]);
    EXPECT_EQ(trace[1], kShownOff);
    EXPECT_EQ(trace[2], "ok");
    EXPECT_EQ(trace[3], kShownOn);
    ExpectFullDiskFailure(trace[4]);
    EXPECT_THAT(trace[5], StartsWith("off"));
    EXPECT_EQ(trace[6], "ok");
}

TEST_F(CaptureLogFailures, SwitchingOnAfterAHaltReportsATailThatCannotBeWritten) {
    const std::vector<std::string> trace = OnAFullDisk([](CaptureLog& log, std::string& trace) {
        log.ToggleCapture();
        log.DisableWithoutClosing();
        trace += Try([&] { log.ToggleCapture(); }) + "\n";
        trace += Shown(log);
    });
    ASSERT_EQ(trace.size(), 2u);
    ExpectFullDiskFailure(trace[0]);
    EXPECT_EQ(trace[1], kShownOff);
}

}  // namespace
}  // namespace flash410::capture
