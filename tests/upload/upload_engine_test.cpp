// The upload engine, tick by tick, as every front end drives it, against a fake line: what a tick and a
// receive notification write to the capture log and when a reply is acted on, the handshake, the erase
// phase, the block loop with every kind of block request, the ends, the time-outs, an upload that cannot
// go on, and the limits a command-line upload sets. What the window makes of the events is the
// presenter's; what the session makes of the ends is the session's.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/fake_serial_line.h"
#include "support/firmware_files.h"
#include "upload/modem_line.h"
#include "upload/upload_engine.h"

namespace flash410::upload {
namespace {

using ::testing::HasSubstr;
using Lines = std::vector<std::string>;

constexpr std::size_t kBlock = 1031;
constexpr double kTenOClock = 10 * 3600.0;

std::string Image(int count) {
    return test_support::UploadImageOfBlocks(count);
}

class UploadEngineTest : public ::testing::Test {
  protected:
    explicit UploadEngineTest(UploadLimits limits = {})
        : engine_({&line_, [this] { return clock_; },
                   UploadCapture{[] { return true; },
                                 [this](const std::string& text, const std::string& tag) {
                                     capture_.push_back(tag + text);
                                 }},
                   [this](const UploadEvent& event) { events_.push_back(event); }, limits}) {}

    // The port open and an image of count blocks in use, and Start Upload pressed.
    void Start(int count, UploadRequest request = UploadRequest::kBulk) {
        image_ = Image(count);
        Engine().UseImage(std::make_shared<const std::vector<std::uint8_t>>(image_.begin(), image_.end()),
                          "fw.vxf", count);
        Engine().OpenPort(1, 38400);
        Tick(3);
        Engine().StartUpload(request);
        line_.sent.clear();
        capture_.clear();
        events_.clear();
    }
    // The timer's ticks: each lets the modem's bytes through first, then performs its step.
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            if (!line_.incoming.empty()) {
                engine_.Receive(Arrival::kWithinTick);
            }
            engine_.Tick();
        }
    }
    // The modem's bytes, noticed as the next tick begins.
    void Modem(const std::string& text) { line_.incoming += text; }
    // The modem's bytes, noticed between ticks: a complete reply is acted on at once.
    void ModemBetweenTicks(const std::string& text) {
        Modem(text);
        engine_.Receive();
    }
    // An answer from the modem between ticks, seconds after answersFrom_; what the engine sent on it.
    std::string AnswerAt(double seconds, const std::string& answer) {
        clock_ = answersFrom_ + seconds;
        line_.sent.clear();
        ModemBetweenTicks(answer);
        return line_.sent;
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
        ASSERT_EQ(State().Step, DialogueStep::kAwaitBlockRequest);
        line_.sent.clear();
        capture_.clear();
        events_.clear();
    }
    // The capture lines of block k of Image(): its address and checksum, then its data in rows of 64.
    static Lines BlockCaptureLines(int k) {
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
        Lines lines = {info, "[B000->]0D00" + repeat(62)};
        for (int row = 1; row < 16; ++row) {
            lines.push_back("[B" + std::to_string(64 * row) + "->]" + repeat(64));
        }
        return lines;
    }
    std::string Block(int k) const { return image_.substr(static_cast<std::size_t>(k) * kBlock, kBlock); }
    UploadEngine& Engine() { return engine_; }
    const DialogueState& State() const { return engine_.State(); }
    // The end of the last upload, once one has ended.
    std::optional<UploadResult> Result() const {
        const std::vector<events::UploadEnded> ends = Events<events::UploadEnded>();
        return ends.empty() ? std::nullopt : std::optional(ends.back().Result);
    }
    // The events of one kind, in order.
    template <typename Event>
    std::vector<Event> Events() const {
        std::vector<Event> found;
        for (const UploadEvent& event : events_) {
            if (const auto* wanted = std::get_if<Event>(&event)) {
                found.push_back(*wanted);
            }
        }
        return found;
    }

    double clock_ = kTenOClock;
    double answersFrom_ = kTenOClock;
    test_support::FakeSerialLine line_;
    Lines capture_;
    std::vector<UploadEvent> events_;
    std::string image_;
    UploadEngine engine_;
};

// The same engine with the limits a command-line upload sets.
class LimitedUploadEngineTest : public UploadEngineTest {
  protected:
    LimitedUploadEngineTest() : UploadEngineTest(UploadLimits{4, 20, false, 10}) {}
    // Through the erase to the first block sent.
    void ThroughFirstBlock() {
        ThroughErase();
        Modem("SEND BLOCK\r\n");
        Tick();
        ASSERT_EQ(State().BlocksSent, 1);
    }
};

// ---- The handshake ------------------------------------------------------------------------------------

TEST_F(UploadEngineTest, TheUploadRequestIsRepeatedEveryTickUntilReadyAndGoFollowsAtOnce) {
    Start(1);
    Tick(3);
    EXPECT_EQ(line_.sent, "UP BULK\rUP BULK\rUP BULK\r");
    EXPECT_EQ(Engine().TickIntervalMs(), 500);
    Modem("xxREA");
    Tick();
    Modem("DY");  // READY split over two receive events, without a line end
    line_.sent.clear();
    line_.writeCalls = 0;
    Tick();
    EXPECT_EQ(line_.sent, "GO\r");       // GO follows READY at once, without another request
    EXPECT_EQ(line_.writeCalls, 1);      // the command and its carriage return in one write
    EXPECT_EQ(State().ReplyBuffer, "");  // what came before the command is not searched for its reply
    EXPECT_EQ(State().Step, DialogueStep::kAwaitErasing);
    EXPECT_EQ(Events<events::ReadySeen>().size(), 1u);
    EXPECT_EQ(Engine().TickIntervalMs(), 50);
    EXPECT_EQ(State().HandshakeTries, 4);
}

TEST_F(UploadEngineTest, MPlusCSendsItsOwnRequest) {
    Start(1, UploadRequest::kMainAndConfiguration);
    Tick(2);
    EXPECT_EQ(line_.sent, "UP MC\rUP MC\r");
}

TEST_F(UploadEngineTest, ReadyBetweenTicksIsTakenAtOnceWithoutAnotherRequest) {
    Start(1);
    Tick();
    ModemBetweenTicks("READY\r\n");
    EXPECT_EQ(State().Step, DialogueStep::kAwaitErasing);
    EXPECT_EQ(line_.sent, "UP BULK\rGO\r");  // GO at once, and no request after READY
    EXPECT_EQ(Engine().TickIntervalMs(), 50);
}

TEST_F(UploadEngineTest, AModemThatNeverAnswersGets251RequestsThenATimeOut) {
    Start(1);
    Tick(251);
    EXPECT_EQ(State().HandshakeTries, 251);
    EXPECT_EQ(State().Step, DialogueStep::kTimedOut);
    Tick();
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kTimedOut);
    EXPECT_EQ(Result()->Detail, "waiting for response");
    EXPECT_EQ(line_.sent.size(), 251u * 8);
}

// ---- The erase ----------------------------------------------------------------------------------------

TEST_F(UploadEngineTest, EraseErrorsAreReportedLineByLineUntilTheEraseCompletes) {
    Start(1);
    Tick();
    Modem("READY\r\n");
    Tick();
    Modem("ERASING\r\n");
    Tick();
    Modem("ERASE ERROR\r\n");
    Tick();  // the erase result awaited, and checked at once
    Modem("BAD BLOCK 3\r\n");
    Tick();  // the error block awaited, and reported at once
    const std::vector<events::EraseErrorLine> lines = Events<events::EraseErrorLine>();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Line, "\nERASE ERROR\r\n");
    EXPECT_EQ(lines[1].Line, "\nBAD BLOCK 3\r\n");
    Modem("ERASE COMPLETE\r\n");
    Tick();  // checked, and the block loop started, at once
    EXPECT_EQ(Events<events::EraseComplete>().size(), 1u);
    EXPECT_EQ(State().Step, DialogueStep::kAwaitBlockRequest);
}

TEST_F(UploadEngineTest, AnEraseLineThatIsNeitherErrorNorCompleteEndsTheUpload) {
    Start(1);
    Tick();
    Modem("READY\r\n");
    Tick();
    Modem("ERASING\r\nERASE STARTED\r\n");
    Tick();  // both lines awaited and checked in the one tick
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kUnexpectedReply);
    EXPECT_EQ(Result()->Detail, "\nERASE STARTED\r\n");
    EXPECT_EQ(State().Step, DialogueStep::kIdle);
}

TEST_F(UploadEngineTest, EachWaitTimesOutWithItsOwnWords) {
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
        ASSERT_TRUE(Result());
        EXPECT_EQ(Result()->Outcome, UploadOutcome::kTimedOut);
        EXPECT_EQ(Result()->Detail, words);
        EXPECT_EQ(State().Step, DialogueStep::kIdle);
    }
}

// On the tick that reaches the wait's limit the upload times out without looking at the buffer, even
// when the reply is already there.
TEST_F(UploadEngineTest, TheWaitsLimitComesBeforeALookAtTheBuffer) {
    Start(1);
    Tick();
    Modem("READY\r\n");
    Tick();
    Tick(1998);
    ASSERT_EQ(State().WaitTicks, 1998);
    Modem("ERASING\r\n");
    Tick();  // the 1999th look takes it
    EXPECT_EQ(State().Step, DialogueStep::kAwaitEraseResult);

    Tick(1999);
    Modem("ERASE COMPLETE\r\n");
    Tick();  // the 2000th look does not
    EXPECT_EQ(State().Step, DialogueStep::kTimedOut);
    Tick();
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Detail, "waiting for Erase Complete/Timeout");
    EXPECT_EQ(State().ReplyBuffer, "\nERASE COMPLETE\r\n");
}

// ---- The blocks ---------------------------------------------------------------------------------------

TEST_F(UploadEngineTest, AWholeUploadSendsEveryBlockOnRequestAndEndsWithItsTimes) {
    Start(3);
    ThroughErase();
    for (int k = 0; k < 3; ++k) {
        Modem("SEND BLOCK\r\n");
        Tick();
        EXPECT_EQ(line_.sent, Block(k)) << k;
        ASSERT_EQ(Events<events::BlockSent>().size(), static_cast<std::size_t>(k + 1));
        EXPECT_EQ(Events<events::BlockSent>().back().BlocksSent, k + 1);
        EXPECT_EQ(Events<events::BlockSent>().back().BlockCount, 3);
        line_.sent.clear();
    }
    Modem("SEND BLOCK\r\n");
    Tick();  // all sent: UPLOAD DONE, no block
    EXPECT_EQ(State().Step, DialogueStep::kSendUploadDone);
    Tick();
    EXPECT_EQ(line_.sent, "UPLOAD DONE\r");
    clock_ += 42;
    Modem("THANK YOU\r\n");
    Tick(3);  // THANK YOU awaited, the upload finished, its end reported
    EXPECT_EQ(State().Step, DialogueStep::kIdle);
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kComplete);
    EXPECT_EQ(Result()->BlocksSent, 3);
    EXPECT_NEAR((Result()->EndTime - Result()->StartTime) * 86400, 42, 1e-6);
}

TEST_F(UploadEngineTest, BlockRequestsAreClassifiedInTheirFixedOrder) {
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
        EXPECT_EQ(State().BlocksSent, c.blocksSentAfter) << c.request;
        EXPECT_EQ(line_.sent, Block(c.blocksSentAfter - 1)) << c.request;
        EXPECT_EQ(State().Step, DialogueStep::kAwaitBlockRequest) << c.request;
        line_.sent.clear();
    }
}

TEST_F(UploadEngineTest, AnUnknownRequestResendsOnTheNextTickWithoutCountingABlock) {
    Start(2);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.sent.clear();
    for (const char* request : {"OK\r\n", "RR\r\n"}) {
        Modem(request);
        Tick();
        EXPECT_EQ(State().Step, DialogueStep::kResendBlock) << request;
        EXPECT_TRUE(line_.sent.empty());
        Tick();
        EXPECT_EQ(line_.sent, Block(0)) << request;
        EXPECT_EQ(State().BlocksSent, 1);
        line_.sent.clear();
    }
    // An unknown line is neither a request for the block again nor a silence.
    EXPECT_TRUE(Events<events::BlockAskedAgain>().empty());
    EXPECT_TRUE(Events<events::SilenceResent>().empty());
}

TEST_F(UploadEngineTest, ASilentModemGetsTheSameBlockAgainAfterEach2000Ticks) {
    Start(3);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.sent.clear();
    Tick(1999);
    EXPECT_TRUE(line_.sent.empty());
    Tick();  // the 2000th tick gives up on the reply
    EXPECT_TRUE(line_.sent.empty());
    Tick();  // and the next sends the block again
    EXPECT_EQ(line_.sent, Block(0));
    EXPECT_EQ(State().Step, DialogueStep::kAwaitBlockRequest);
    EXPECT_EQ(State().BlocksSent, 1);

    line_.sent.clear();
    Tick(2001);  // still silent: the same block once more
    EXPECT_EQ(line_.sent, Block(0));
    const std::vector<events::SilenceResent> silences = Events<events::SilenceResent>();
    ASSERT_EQ(silences.size(), 2u);
    EXPECT_EQ(silences[1].WaitTicks, 2000);
    EXPECT_EQ(silences[1].IntervalMs, 50);
    EXPECT_EQ(silences[1].BlocksSent, 1);
}

// FAILED, whole or its first part, as the wait runs out: the block goes again only where the line was not
// whole, and what came of it stays for the rest.
TEST_F(UploadEngineTest, FailedThatComesAsTheWaitRunsOutStillEndsTheUpload) {
    for (const auto& [first, rest] :
         {std::pair<std::string, std::string>{"FAILED\r\n", ""}, {"FAIL", "ED\r\n"}}) {
        SCOPED_TRACE(first);
        Start(3);
        ThroughErase();
        Modem("SEND BLOCK\r\n");
        Tick();
        Tick(1999);
        Modem(first);
        Tick(2);  // the 2000th look does not take it, and the step that follows the wait
        EXPECT_EQ(line_.sent, rest.empty() ? Block(0) : Block(0) + Block(0));
        Modem(rest);
        Tick(2);
        ASSERT_TRUE(Result());
        EXPECT_EQ(Result()->Outcome, UploadOutcome::kModemFailed);
    }
}

// A modem that was only slow answers both the block it had and the copy sent on its silence. On a line that
// keeps pace one of the two answers, the one that comes before the last block sent could have crossed the
// wire (0.27 s a block at 38400 baud), is not taken: taken, it would put this end a block ahead of the modem,
// and a RESEND then would send the wrong block and leave the refused one out of the flash.
class AnswersToACopySentOnSilence : public UploadEngineTest {
  protected:
    void SilentAfterTheFirstBlock(bool keepsPace = true) {
        line_.keepsPace = keepsPace;
        Start(3);
        ThroughErase();
        Modem("SEND BLOCK\r\n");
        Tick();
        clock_ += 100;
        Tick(2001);  // silent for 2000 ticks: block 0 is sent again
        answersFrom_ = clock_;
    }
};

TEST_F(AnswersToACopySentOnSilence, TheFirstAnswerWhileTheCopyIsOnTheWireIsLeftOut) {
    SilentAfterTheFirstBlock();
    EXPECT_EQ(AnswerAt(0.1, "SEND BLOCK\r\n"), "");        // the answer to block 0
    EXPECT_EQ(AnswerAt(0.3, "SEND BLOCK\r\n"), Block(1));  // the answer to its copy
    EXPECT_EQ(AnswerAt(0.7, "RESEND BLOCK\r\n"), Block(1));
    EXPECT_EQ(AnswerAt(1.0, "SEND BLOCK\r\n"), Block(2));
}

TEST_F(AnswersToACopySentOnSilence, OnALineThatDoesNotKeepPaceAnAnswerAtOnceIsHeldNotLeftOut) {
    SilentAfterTheFirstBlock(false);
    EXPECT_EQ(AnswerAt(0.01, "SEND BLOCK\r\n"), "");  // the copy's or the block's: only time tells
    line_.sent.clear();
    clock_ = answersFrom_ + 0.8;
    Tick();
    EXPECT_EQ(line_.sent, Block(1));
}

TEST_F(AnswersToACopySentOnSilence, FailedEndsTheUploadEvenWhileTheCopyIsOnTheWire) {
    SilentAfterTheFirstBlock();
    AnswerAt(0.1, "FAILED\r\n");
    Tick();
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kModemFailed);
}

// An answer after the copy has crossed is held for as long again as it took, the copy's time on the wire and
// half a second: 0.3 + 0.27 + 0.5 s here. The modem stands where the last answer within it says.
TEST_F(AnswersToACopySentOnSilence, AnAnswerAfterTheCopyCrossedWaitsForTheCopysAnswerWithinItsWindow) {
    SilentAfterTheFirstBlock();
    EXPECT_EQ(AnswerAt(0.3, "RESEND BLOCK\r\n"), "");      // block 0 arrived damaged
    EXPECT_EQ(AnswerAt(1.3, "SEND BLOCK\r\n"), Block(1));  // its copy did not
    EXPECT_EQ(AnswerAt(1.7, "RESEND BLOCK\r\n"), Block(1));
    EXPECT_EQ(AnswerAt(2.0, "SEND BLOCK\r\n"), Block(2));
    EXPECT_EQ(State().BlocksSent, 3);
}

TEST_F(AnswersToACopySentOnSilence, AHeldAnswerIsActedOnOnceItsWindowPassesWithoutAnother) {
    SilentAfterTheFirstBlock();
    EXPECT_EQ(AnswerAt(0.28, "SEND "), "");
    EXPECT_EQ(AnswerAt(0.38, "BLOCK\r\n"), "");  // held until 0.38 + 0.38 + 0.27 + 0.5 s
    line_.sent.clear();
    clock_ = answersFrom_ + 1.0;
    Tick();
    EXPECT_EQ(line_.sent, "");
    // Noise within the window holds the answer for as long as the held one took to come (0.1 s), half as
    // long again and half a second: 0.65 s.
    ModemBetweenTicks("#");
    for (const double at : {1.5, 1.6}) {
        clock_ = answersFrom_ + at;
        Tick();
        EXPECT_EQ(line_.sent, "") << at;
    }
    clock_ = answersFrom_ + 1.7;
    Tick();
    EXPECT_EQ(line_.sent, Block(1));
    EXPECT_EQ(AnswerAt(3.0, "SEND BLOCK\r\n"), Block(2));
}

// On a line that keeps its baud's pace no answer to a block can begin before the block has crossed the wire
// (0.27 s at 38400 baud). One that does is held until the block has crossed and half a second more: the
// block's own answer within that time shows that the held one was a request said twice.
class AnswersOnALineThatKeepsPace : public UploadEngineTest {
  protected:
    void FirstBlockSent() {
        line_.keepsPace = true;
        Start(4);
        ThroughErase();
        Modem("SEND BLOCK\r\n");
        Tick();
        answersFrom_ = clock_;
    }
};

TEST_F(AnswersOnALineThatKeepsPace, ARequestSaidTwiceIsLeftOutOnceTheBlocksOwnAnswerFollows) {
    FirstBlockSent();
    EXPECT_EQ(AnswerAt(0.3, "SEND BLOCK\r\n"), Block(1));  // block 1 on the wire until 0.57 s
    EXPECT_EQ(AnswerAt(0.31, "SEND BLOCK\r\n"), "");       // the same request again
    EXPECT_EQ(AnswerAt(0.6, "RESEND BLOCK\r\n"), Block(1));
    EXPECT_EQ(AnswerAt(0.9, "SEND BLOCK\r\n"), Block(2));
    EXPECT_EQ(State().BlocksSent, 3);
}

TEST_F(AnswersOnALineThatKeepsPace, AnEarlyAnswerThatEndsAfterTheBlockCrossedIsHeldHalfASecondMore) {
    FirstBlockSent();
    AnswerAt(0.3, "SEND BLOCK\r\n");  // block 1 on the wire until 0.57 s
    EXPECT_EQ(AnswerAt(0.31, "SE"), "");
    EXPECT_EQ(AnswerAt(0.9, "ND BLOCK\r\n"), "");  // begun early, ended late
    line_.sent.clear();
    clock_ = answersFrom_ + 1.45;
    Tick();
    EXPECT_EQ(line_.sent, Block(2));  // no answer of block 1's own came
}

TEST_F(AnswersOnALineThatKeepsPace, AnEarlyAnswerThatNoOtherFollowsIsTakenAndLaterOnesAtOnce) {
    FirstBlockSent();
    EXPECT_EQ(AnswerAt(0.01, "SEND BLOCK\r\n"), "");  // a pseudo-terminal passes the block at once
    line_.sent.clear();
    clock_ = answersFrom_ + 0.7;
    Tick();
    EXPECT_EQ(line_.sent, "");
    clock_ = answersFrom_ + 0.8;  // the block's time on the wire and half a second have passed
    Tick();
    EXPECT_EQ(line_.sent, Block(1));
    EXPECT_EQ(AnswerAt(0.81, "SEND BLOCK\r\n"), Block(2));  // the line does not keep pace after all
}

TEST_F(UploadEngineTest, RequestsForTheSameBlockAreCountedUntilTheModemAsksForTheNext) {
    Start(3);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    const char* const requests[] = {"RESEND BLOCK\r\n", "R\r\n", "RESEND\r\n", "XR\r\n"};
    for (int i = 0; i < 4; ++i) {
        line_.sent.clear();
        Modem(requests[i]);
        Tick();
        EXPECT_EQ(line_.sent, Block(0)) << requests[i];
        ASSERT_EQ(Events<events::BlockAskedAgain>().size(), static_cast<std::size_t>(i + 1)) << requests[i];
        EXPECT_EQ(Events<events::BlockAskedAgain>().back().Times, i + 1) << requests[i];
    }
    EXPECT_EQ(State().BlocksSent, 1);

    // A silence or a line the program does not know in between does not end the count. (Each answer comes
    // once the blocks sent have crossed the wire; the one after the silence is acted on once no answer to
    // the copy followed it.)
    Tick(2001);
    clock_ += 2;
    Modem("R\r\n");
    Tick();
    clock_ += 3;
    Tick();
    EXPECT_EQ(Events<events::BlockAskedAgain>().back().Times, 5);
    clock_ += 2;
    Modem("OK\r\n");
    Tick(2);
    clock_ += 2;
    Modem("R\r\n");
    Tick();
    EXPECT_EQ(Events<events::BlockAskedAgain>().back().Times, 6);

    // The next block starts the count afresh.
    Modem("S\r\n");
    Tick();
    line_.sent.clear();
    Modem("RESEND BLOCK\r\n");
    Tick();
    EXPECT_EQ(line_.sent, Block(1));
    EXPECT_EQ(Events<events::BlockAskedAgain>().back().BlocksSent, 2);
    EXPECT_EQ(Events<events::BlockAskedAgain>().back().Times, 1);
}

TEST_F(UploadEngineTest, BlockRequestsBetweenTicksAreAnsweredAtOnceAndLoggedAsTheTickWould) {
    Start(3);
    ThroughErase();
    for (int k = 0; k < 3; ++k) {
        ModemBetweenTicks("SEND BLOCK\r\n");
        EXPECT_EQ(line_.sent, Block(k)) << k;
        line_.sent.clear();
    }
    Lines expected = {"[in]\nSEND BLOCK\r\n", "[pn]67"};
    const Lines first = BlockCaptureLines(0);
    expected.insert(expected.end(), first.begin(), first.end());
    ASSERT_GE(capture_.size(), expected.size());
    EXPECT_EQ(Lines(capture_.begin(), capture_.begin() + static_cast<std::ptrdiff_t>(expected.size())),
              expected);

    ModemBetweenTicks("SEND BLOCK\r\n");
    EXPECT_EQ(State().Step, DialogueStep::kSendUploadDone);
    EXPECT_TRUE(line_.sent.empty());  // UPLOAD DONE goes with the tick
    Tick();
    EXPECT_EQ(line_.sent, "UPLOAD DONE\r");
    ModemBetweenTicks("THANK YOU\r\n");
    EXPECT_EQ(State().Step, DialogueStep::kFinishUpload);
    Tick(2);
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kComplete);
}

TEST_F(UploadEngineTest, HalfARequestBetweenTicksWaitsForItsLineEndAndCountsNoTick) {
    Start(2);
    ThroughErase();
    Tick(5);
    ModemBetweenTicks("SEND BL");
    EXPECT_TRUE(line_.sent.empty());
    EXPECT_EQ(State().WaitTicks, 5);
    ModemBetweenTicks("OCK\r\n");
    EXPECT_EQ(line_.sent, Block(0));
    EXPECT_EQ(State().WaitTicks, 0);
}

TEST_F(UploadEngineTest, EachBlockSentAndSentAgainIsDescribedInTheCaptureLog) {
    Start(2);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    Modem("RESEND BLOCK\r\n");
    Tick();
    Tick(2001);

    Lines expected = {"[in]\nSEND BLOCK\r\n", "[pn]67"};
    const Lines block = BlockCaptureLines(0);
    expected.insert(expected.end(), block.begin(), block.end());
    expected.insert(expected.end(), {"[in]RESEND BLOCK\r\n", "[pn]67"});
    expected.insert(expected.end(), block.begin(), block.end());
    // The silent wait's ticks each write their step; the capture log writes a run of them once.
    expected.insert(expected.end(), 2000, "[pn]67");
    expected.insert(expected.end(), {"[pn]999", "[out]resend"});
    expected.insert(expected.end(), block.begin(), block.end());
    EXPECT_EQ(capture_, expected);
}

// ---- The ends -----------------------------------------------------------------------------------------

TEST_F(UploadEngineTest, FailedHaltsTheUploadWithTheTimeSinceGo) {
    Start(3);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    clock_ += 42;
    Modem("FAILED\r\n");
    Tick();
    EXPECT_EQ(Events<events::ModemFailed>().size(), 1u);
    EXPECT_FALSE(Result());  // the halt is reported on the next tick
    Tick();
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kModemFailed);
    EXPECT_EQ(Result()->BlocksSent, 1);
    EXPECT_NEAR((Result()->EndTime - Result()->StartTime) * 86400, 42, 1e-6);
    EXPECT_EQ(State().Step, DialogueStep::kIdle);
}

TEST_F(UploadEngineTest, NoThankYouTimesOut) {
    Start(1);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.sent.clear();
    Modem("SEND BLOCK\r\n");
    Tick(2);  // all blocks sent: UPLOAD DONE
    EXPECT_EQ(line_.sent, "UPLOAD DONE\r");
    Tick(2001);
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kTimedOut);
    EXPECT_EQ(Result()->Detail, "waiting for Thank You");
}

TEST_F(UploadEngineTest, ALostPortEndsTheUploadAndTheNextUploadOpensItAgain) {
    Start(3);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.SetActive(false);  // the adapter was pulled out; the port closed itself
    line_.sent.clear();
    Modem("SEND BLOCK\r\n");
    Tick();
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kConnectionLost);
    EXPECT_THAT(Result()->Detail, HasSubstr("connection to the modem was lost"));
    EXPECT_EQ(State().Step, DialogueStep::kIdle);
    EXPECT_TRUE(line_.sent.empty());

    // Repeat Upload opens the port again once the adapter is back.
    Engine().StartUpload(UploadRequest::kBulk);
    Tick();
    EXPECT_TRUE(line_.Active());
    EXPECT_EQ(line_.sent, "UP BULK\r");
}

TEST_F(UploadEngineTest, LeavingMidUploadEndsItAsStoppedWithTheBlocksSentSoFar) {
    Start(3);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    Engine().ReturnToStart();
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kStopped);
    EXPECT_EQ(Result()->BlocksSent, 1);
    EXPECT_EQ(State().Step, DialogueStep::kIdle);
    EXPECT_EQ(State().ReplyBuffer, "");

    // Closing the program in the middle of the handshake ends that upload the same way.
    Start(1);
    Tick();
    Engine().Stop();
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kStopped);
    EXPECT_EQ(Result()->BlocksSent, 0);
}

TEST_F(UploadEngineTest, AnImageShorterThanItsBlockCountEndsTheUploadBeforeAShortBlockGoes) {
    Start(2);
    // The image held has one block less than the count it was offered with.
    Engine().UseImage(std::make_shared<const std::vector<std::uint8_t>>(
                          image_.begin(), image_.begin() + static_cast<std::ptrdiff_t>(kBlock)),
                      "fw.vxf", 2);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    Modem("SEND BLOCK\r\n");
    Tick();
    EXPECT_EQ(line_.sent, Block(0));
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kImageUnreadable);
    EXPECT_EQ(Result()->Detail, "The upload image fw.vxf ends before block 2");
    EXPECT_EQ(Result()->BlocksSent, 1);
}

TEST_F(UploadEngineTest, AnImageReleasedBeforeTheBlocksEndsTheUploadAfterTheErase) {
    Start(1);
    Engine().ReleaseImage();
    Tick();
    Modem("READY\r\n");
    Tick();
    Modem("ERASING\r\nERASE COMPLETE\r\n");
    Tick();
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kImageUnreadable);
    EXPECT_EQ(Result()->Detail, "The upload image fw.vxf is no longer at hand; choose the file again");
    EXPECT_TRUE(line_.sent.ends_with("GO\r"));
}

// ---- The tick and the receive notification ---------------------------------------------------------

TEST_F(UploadEngineTest, ATickWritesTheNumberOfItsStepBeforePerformingIt) {
    Engine().OpenPort(3, 19200);
    Tick(4);
    EXPECT_EQ(capture_, (Lines{"[pn]5", "[co]com port open at 19200", "[pn]6", "[pn]10", "[pn]0"}));
}

TEST_F(UploadEngineTest, ReceivedTextJoinsTheReplyBufferWhichTheCaptureShowsWhole) {
    ModemBetweenTicks("RE");
    ModemBetweenTicks("ADY\r\n");
    EXPECT_EQ(State().ReplyBuffer, "READY\r\n");
    EXPECT_EQ(capture_, (Lines{"[in]RE", "[in]READY\r\n"}));  // nothing awaited: nothing acted on
}

TEST_F(UploadEngineTest, AnAwaitedReplyBetweenTicksIsActedOnAtOnceAfterItsStepLineAndWithinATickByItsStep) {
    Start(1);
    Tick();
    capture_.clear();
    ModemBetweenTicks("REA");
    EXPECT_EQ(State().Step, DialogueStep::kAwaitReady);
    ModemBetweenTicks("DY\r\n");
    // GO waits for nothing: it follows READY at once.
    EXPECT_EQ(State().Step, DialogueStep::kAwaitErasing);
    EXPECT_EQ(capture_, (Lines{"[in]REA", "[in]READY\r\n", "[pn]45", "[pn]54", "[out]GO\r"}));

    capture_.clear();
    Modem("ERASING\r\n");
    engine_.Receive(Arrival::kWithinTick);
    EXPECT_EQ(State().Step, DialogueStep::kAwaitErasing);  // left to the tick's step
    engine_.Tick();
    EXPECT_EQ(State().Step, DialogueStep::kAwaitEraseResult);
    EXPECT_EQ(capture_, (Lines{"[in]ERASING\r\n", "[pn]55", "[pn]56"}));
}

TEST_F(UploadEngineTest, EveryWaitOfTheDialogueTakesItsReplyOnArrival) {
    Start(2);
    Tick();  // the upload request
    const std::pair<const char*, DialogueStep> replies[] = {
        {"READY\r\n", DialogueStep::kAwaitErasing},
        {"ERASING\r\n", DialogueStep::kAwaitEraseResult},
        {"ERASE ERROR 3\r\n", DialogueStep::kAwaitErrorBlock},
        {"BAD BLOCK 7\r\n", DialogueStep::kAwaitEraseResult},
        {"ERASE COMPLETE\r\n", DialogueStep::kAwaitBlockRequest},
        {"SEND BLOCK\r\n", DialogueStep::kAwaitBlockRequest},
        {"SEND BLOCK\r\n", DialogueStep::kAwaitBlockRequest},
        {"SEND BLOCK\r\n", DialogueStep::kSendUploadDone},
    };
    for (const auto& [reply, after] : replies) {
        ModemBetweenTicks(reply);
        EXPECT_EQ(State().Step, after) << reply;
    }
    Tick();  // UPLOAD DONE
    ModemBetweenTicks("THANK YOU\r\n");
    EXPECT_EQ(State().Step, DialogueStep::kFinishUpload);
    Tick(2);
    EXPECT_EQ(State().BlocksSent, 2);
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kComplete);
}

TEST_F(UploadEngineTest, TheFirstBlockFollowsEraseCompleteAndItsRequestAtOnceInOneWrite) {
    Start(1);
    Tick();
    ModemBetweenTicks("READY\r\n");
    ModemBetweenTicks("ERASING\r\n");
    capture_.clear();
    line_.sent.clear();
    line_.writeCalls = 0;
    ModemBetweenTicks("ERASE COMPLETE\r\nSEND BLOCK\r\n");
    // Each step performed still writes its line, the checks and the loop's start as they always have.
    ASSERT_GE(capture_.size(), 5u);
    EXPECT_EQ(Lines(capture_.begin(), capture_.begin() + 5),
              (Lines{"[in]\nERASE COMPLETE\r\nSEND BLOCK\r\n", "[pn]57", "[pn]58", "[pn]66", "[pn]67"}));
    EXPECT_EQ(line_.sent, Block(0));
    EXPECT_EQ(line_.writeCalls, 1);  // the whole block in one write
    EXPECT_EQ(State().Step, DialogueStep::kAwaitBlockRequest);
}

TEST_F(UploadEngineTest, TwoRequestsAtOnceAreAnsweredOneAtATimeAndUploadDoneKeepsItsTick) {
    Start(1);
    ThroughErase();
    ModemBetweenTicks("SEND BLOCK\r\n");
    capture_.clear();
    line_.sent.clear();
    // The wait answers the first and, not having moved on, stops there.
    ModemBetweenTicks("SEND BLOCK\r\nSEND BLOCK\r\n");
    EXPECT_EQ(State().Step, DialogueStep::kSendUploadDone);
    EXPECT_TRUE(line_.sent.empty());
    EXPECT_EQ(capture_, (Lines{"[in]SEND BLOCK\r\nSEND BLOCK\r\n", "[pn]67"}));
    Tick();
    EXPECT_EQ(line_.sent, "UPLOAD DONE\r");
    EXPECT_EQ(State().Step, DialogueStep::kAwaitThankYou);
}

// Before the first block there is no block to send again: a first request that is not a plain request for
// the next block, or none at all, still gets the first block, never what the block buffer held before.
TEST_F(UploadEngineTest, WhateverTheFirstRequestAfterTheEraseItGetsTheFirstBlock) {
    for (const std::string firstRequest : {"OK\r\n", "RESEND BLOCK\r\n", ""}) {
        SCOPED_TRACE(firstRequest.empty() ? "silence" : firstRequest);
        Engine().Blocks().fill(0);
        Start(2);
        ThroughErase();
        if (firstRequest.empty()) {
            Tick(State().WaitLimitTicks + 1);  // the whole wait, and the step that follows it
        } else {
            Modem(firstRequest);
            Tick();
        }
        EXPECT_EQ(line_.sent, Block(0));
        EXPECT_EQ(State().BlocksSent, 1);
        clock_ += 1;  // once block 0 has crossed the wire
        Modem("SEND BLOCK\r\n");
        Tick();
        if (firstRequest.empty()) {  // no second answer to the block sent on silence came
            clock_ += 2;
            Tick();
        }
        EXPECT_EQ(line_.sent, Block(0) + Block(1));
        Engine().Stop();
    }
}

TEST_F(UploadEngineTest, NoReplyIsTakenOnArrivalOnceTheUploadHasEnded) {
    Start(2);
    ThroughErase();
    ModemBetweenTicks("SEND BLOCK\r\n");
    Engine().Stop();
    line_.sent.clear();
    ModemBetweenTicks("SEND BLOCK\r\n");
    EXPECT_TRUE(line_.sent.empty());
}

// ---- The limits of a command-line upload ------------------------------------------------------------

TEST_F(LimitedUploadEngineTest, TheHandshakeEndsAfterItsTries) {
    Start(1);
    Tick(6);  // four requests, then the timeout is reported
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kTimedOut);
    EXPECT_EQ(line_.sent, "UP BULK\rUP BULK\rUP BULK\rUP BULK\rUP BULK\r");  // the fifth ends the tries
}

TEST_F(LimitedUploadEngineTest, ASilentBlockWaitEndsTheUploadInsteadOfSendingTheBlockAgain) {
    Start(2);
    ThroughFirstBlock();
    line_.sent.clear();
    Tick(21);  // the wait's twenty ticks, then the end
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kTimedOut);
    EXPECT_EQ(Result()->Detail, "waiting for SEND BLOCK message");
    EXPECT_EQ(Result()->BlocksSent, 1);
    EXPECT_TRUE(line_.sent.empty());
}

// A line that stops taking a block part-way leaves the modem a short block that it does not answer: the
// wait ends the upload as for any silent modem, and the rest of the block never follows on its own.
TEST_F(LimitedUploadEngineTest, ABlockTheLineStopsTakingPartWayEndsTheUploadAsASilentWait) {
    Start(2);
    line_.takesAtMost = 400;
    ThroughFirstBlock();
    const std::string sent = line_.sent;
    EXPECT_EQ(sent, Block(0).substr(0, 400));
    Tick(21);
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kTimedOut);
    EXPECT_EQ(Result()->Detail, "waiting for SEND BLOCK message");
    EXPECT_EQ(line_.sent, sent);
}

TEST_F(LimitedUploadEngineTest, AnUnknownLineStillSendsTheBlockAgain) {
    Start(2);
    ThroughFirstBlock();
    line_.sent.clear();
    Modem("NOISE\r\n");
    Tick(2);
    EXPECT_FALSE(Result());
    EXPECT_EQ(line_.sent, Block(0));
}

TEST_F(LimitedUploadEngineTest, TheTenthRequestForTheSameBlockInARowEndsTheUploadAndANewBlockStartsAfresh) {
    Start(3);
    ThroughFirstBlock();
    for (int i = 0; i < 9; ++i) {
        Modem("RESEND BLOCK\r\n");
        Tick();
    }
    Modem("SEND BLOCK\r\n");
    Tick();
    line_.sent.clear();
    for (int i = 0; i < 9; ++i) {
        Modem("RESEND BLOCK\r\n");
        Tick();
    }
    EXPECT_FALSE(Result());
    EXPECT_EQ(line_.sent.size(), 9 * kBlock);
    Modem("RESEND BLOCK\r\n");
    Tick();
    ASSERT_TRUE(Result());
    EXPECT_EQ(Result()->Outcome, UploadOutcome::kBlockRefused);
    EXPECT_EQ(Result()->Detail, "The modem asked for block 2 again (10 times)");
    EXPECT_EQ(line_.sent.size(), 9 * kBlock);  // the tenth request is not answered
}

TEST(ModemLine, IsEightDataBitsWithoutAParityCheck) {
    serial::SerialPort port({});
    port.SetDataBits(serial::DataBits::kSeven);
    port.SetCheckParity(true);
    ConfigureLine(port);
    EXPECT_EQ(port.DataBits(), serial::DataBits::kEight);
    EXPECT_FALSE(port.CheckParity());
}

}  // namespace
}  // namespace flash410::upload
