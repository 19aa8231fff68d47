// The reply writer against a recording output: what it sends, and what it waits for and when, seen
// without waiting.
#include "modem_sim/reply_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace modemsim {
namespace {

using std::chrono::milliseconds;

// "wait N" for each pause (N in ms) and the text of each write, in order.
class RecordingOutput : public ReplyOutput {
  public:
    ModemLine::Status Send(std::span<const std::uint8_t> bytes) override {
        calls.emplace_back(bytes.begin(), bytes.end());
        return ModemLine::Status::kOk;
    }
    bool Pause(Clock::duration duration) override {
        calls.push_back("wait " + std::to_string(std::chrono::duration_cast<milliseconds>(duration).count()));
        return !stopDuringPause;
    }

    std::vector<std::string> calls;
    bool stopDuringPause = false;
};

TEST(ReplyWriterTest, HoldsEachReplyBackBeforeItsFirstByteOnlyWhenADelayIsSet) {
    RecordingOutput output;
    const FaultPlan faults;
    ReplyWriter writer(output, faults, milliseconds(16));
    EXPECT_EQ(writer.Send("SEND BLOCK"), ModemLine::Status::kOk);
    EXPECT_EQ(writer.Send("THANK YOU"), ModemLine::Status::kOk);
    EXPECT_EQ(output.calls,
              (std::vector<std::string>{"wait 16", "SEND BLOCK\r\n", "wait 16", "THANK YOU\r\n"}));

    RecordingOutput direct;
    ReplyWriter undelayed(direct, faults, milliseconds(0));
    undelayed.Send("READY");
    EXPECT_EQ(direct.calls, std::vector<std::string>{"READY\r\n"});
}

TEST(ReplyWriterTest, TheDelayComesOnceBeforeTheNoiseAndTheSplitPieces) {
    RecordingOutput output;
    FaultPlan faults;
    faults.splitReplies = 4;
    faults.splitPause = milliseconds(30);
    faults.noiseBytes = 1;
    ReplyWriter writer(output, faults, milliseconds(4));
    writer.Send("GO!");
    EXPECT_EQ(output.calls,
              (std::vector<std::string>{"wait 4", std::string(1, '\0') + "GO!", "wait 30", "\r\n"}));
}

TEST(ReplyWriterTest, AStopDuringTheDelaySendsNothing) {
    RecordingOutput output;
    output.stopDuringPause = true;
    const FaultPlan faults;
    ReplyWriter writer(output, faults, milliseconds(16));
    EXPECT_EQ(writer.Send("ERASING"), ModemLine::Status::kStopped);
    EXPECT_EQ(output.calls, std::vector<std::string>{"wait 16"});
}

}  // namespace
}  // namespace modemsim
