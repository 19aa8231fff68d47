#include "capture/capture_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "capture_test_support.h"

namespace uflash8 {
namespace {

using test::FileBytes;

constexpr double kAt140307250 = 14 * 3600 + 3 * 60 + 7.25;
const std::string kStart = "[start]\r\n";

std::string Line(const std::string& textAfterStamp) {
    return "14:03:07:250" + textAfterStamp + "\r\n";
}

class CaptureLogTest : public ::testing::Test {
  protected:
    std::string Written() {
        log_.reset();  // closing writes the buffered tail out
        return FileBytes(path_);
    }

    test::TemporaryFolder folder_;
    std::filesystem::path path_ = folder_.Path() / "Capture.txt";
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
    EXPECT_EQ(FileBytes(path_), kStart);  // on disk before the log is destroyed
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
    EXPECT_EQ(FileBytes(path_), kStart + Line("[out]UP MC[cr]"));
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
    EXPECT_EQ(FileBytes(path_), "");  // still buffered in the open file

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
    EXPECT_THROW(CaptureLog("Capture.txt", TimeOfDayClock()), std::invalid_argument);
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
        EXPECT_EQ(FileBytes(path_), "") << "after " << expected.size() << " bytes";
        log_->WriteCaptureLine(std::to_string(state), "[pn]");
        expected += Line("[pn]" + std::to_string(state++));
    }
    EXPECT_EQ(FileBytes(path_), expected.substr(0, CaptureFile::kBufferSize));
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

    test::TemporaryFolder folder_;
};

TEST_F(CaptureLogFailures, AFolderThatIsARegularFileCannotTakeTheFile) {
    const std::filesystem::path plain = folder_.Path() / "program";
    CaptureFile(plain.string()).Close();
    ExpectOpenFailure(plain / "Capture.txt");
}

TEST_F(CaptureLogFailures, AMissingFolderCannotTakeTheFile) {
    ExpectOpenFailure(folder_.Path() / "gone" / "Capture.txt");
}

TEST_F(CaptureLogFailures, AFailedWriteSwitchesCaptureOffAndTheNextSwitchOnWorks) {
    CaptureLog log("/dev/full", test::FakeClock({kAt140307250}));
    log.ToggleCapture();
    int linesTaken = 0;
    try {
        for (; linesTaken < 64; ++linesTaken) {
            log.WriteCaptureLine(std::to_string(linesTaken), "[pn]");
        }
        ADD_FAILURE() << "a full device took every line";
    } catch (const CaptureError& error) {
        EXPECT_NE(std::string(error.what()).find("/dev/full"), std::string::npos) << error.what();
    }
    EXPECT_GT(linesTaken, 0);  // the first lines only went into the buffer
    ExpectOffAndShownOff(log);
    EXPECT_NO_THROW(log.WriteCaptureLine("99", "[pn]"));
    log.ToggleCapture();
    EXPECT_TRUE(log.CaptureEnabled());
}

TEST_F(CaptureLogFailures, AFailedCloseStillLeavesCaptureOffAndClosed) {
    CaptureLog log("/dev/full", test::FakeClock({kAt140307250}));
    log.ToggleCapture();
    log.WriteCaptureLine("0", "[pn]");
    EXPECT_THROW(log.ToggleCapture(), CaptureError);
    ExpectOffAndShownOff(log);
    // The next click opens the file anew rather than finding a stale one.
    log.ToggleCapture();
    EXPECT_TRUE(log.CaptureEnabled());
    EXPECT_THROW(log.CloseCapture(), CaptureError);
    EXPECT_FALSE(log.CaptureEnabled());
    EXPECT_NO_THROW(log.CloseCapture());
}

TEST_F(CaptureLogFailures, SwitchingOnAfterAHaltReportsATailThatCannotBeWritten) {
    CaptureLog log("/dev/full", test::FakeClock({kAt140307250}));
    log.ToggleCapture();
    log.DisableWithoutClosing();
    EXPECT_THROW(log.ToggleCapture(), CaptureError);
    ExpectOffAndShownOff(log);
}

}  // namespace
}  // namespace uflash8
