// The modem's replies as the dialogue reads them, straight from the text received.
#include "upload/reply_scanner.h"

#include <gtest/gtest.h>

namespace flash410::upload {
namespace {

TEST(TakeReplyLine, TakesTheLineToItsReturnAndOneCharacterMoreWhichStaysInTheRest) {
    struct Case {
        std::string buffer;
        std::string expected;
        std::optional<TakenReply> taken;
    };
    const std::string dots117(117, '.');
    const Case cases[] = {
        {"xyERASING...\r\n", "ERASING", TakenReply{"xyERASING...\r\n", "\n"}},
        {"ERASING\r", "ERASING", TakenReply{"ERASING\r", ""}},  // nothing after the return yet
        {"ERASING", "ERASING", std::nullopt},                   // the line has not ended
        {"READY\r\n", "ERASING", std::nullopt},                 // not the line awaited
        {"READY\r\nERASING\r\nERASE COMPLETE\r\n", "READY",
         TakenReply{"READY\r\n", "\nERASING\r\nERASE COMPLETE\r\n"}},
        {"\nERASING\r\nERASE COMPLETE\r\n", "ERASING", TakenReply{"\nERASING\r\n", "\nERASE COMPLETE\r\n"}},
        {"SEND BLOCK\r\nmore", "\r", TakenReply{"SEND BLOCK\r\n", "\nmore"}},
        {"OK\r" + std::string(300, 'n'), "OK", TakenReply{"OK\rn", std::string(125, 'n')}},
        // The return must be within the 125 characters that begin with the awaited text.
        {"ERASING" + dots117 + "\r\n", "ERASING", TakenReply{"ERASING" + dots117 + "\r\n", "\n"}},
        {"ERASING." + dots117 + "\r\n", "ERASING", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TakeReplyLine(c.buffer, c.expected), c.taken) << c.buffer.substr(0, 40);
    }
}

TEST(ClassifyBlockRequest, KnowsTheLongAndShortFormsInTheirFixedOrder) {
    const std::pair<const char*, BlockRequest> cases[] = {
        {"\nRESEND BLOCK\r\n", BlockRequest::kResend},
        {"R\r\n", BlockRequest::kResend},
        {"XR\r\n", BlockRequest::kResend},
        {"RESEND FAILED\r\n", BlockRequest::kResend},
        {"\nSEND BLOCK\r\n", BlockRequest::kNext},
        {"S\r\n", BlockRequest::kNext},
        {"RS\r\n", BlockRequest::kNext},  // the first R is not followed by the return, the first S is
        {"SEND FAILED\r\n", BlockRequest::kNext},
        {"FAILED\r\n", BlockRequest::kFailed},
        {"OK\r\n", BlockRequest::kUnknown},
        {"RR\r\n", BlockRequest::kUnknown},  // the first R is followed by another R
        {"", BlockRequest::kUnknown},
        {"R", BlockRequest::kUnknown},
    };
    for (const auto& [reply, request] : cases) {
        EXPECT_EQ(ClassifyBlockRequest(reply), request) << reply;
    }
}

TEST(SaysReady, FindsReadyAnywhereInWhatHasComeIn) {
    EXPECT_TRUE(SaysReady("xxREADY"));
    EXPECT_TRUE(SaysReady("noise\r\nREADY\r\n"));
    EXPECT_FALSE(SaysReady("xxREA"));
    EXPECT_FALSE(SaysReady("ready"));
    EXPECT_FALSE(SaysReady(""));
}

TEST(ClassifyEraseResult, TellsErrorFromCompleteFromAnythingElse) {
    EXPECT_EQ(ClassifyEraseResult("\nERASE ERROR\r\n"), EraseResult::kError);
    EXPECT_EQ(ClassifyEraseResult("ERASE ERROR COMPLETE\r\n"), EraseResult::kError);
    EXPECT_EQ(ClassifyEraseResult("\nERASE COMPLETE\r\n"), EraseResult::kComplete);
    EXPECT_EQ(ClassifyEraseResult("\nERASE STARTED\r\n"), EraseResult::kUnexpected);
    EXPECT_EQ(ClassifyEraseResult("ERASE\r"), EraseResult::kUnexpected);
}

}  // namespace
}  // namespace flash410::upload
