// The progress line's texts for a silent modem and for repeated requests.
#include <gtest/gtest.h>

#include "upload/progress_texts.h"

namespace flash410::upload {
namespace {

TEST(SilenceResendText, GivesTheWaitInSecondsFromItsTicksAndTheTickInterval) {
    EXPECT_EQ(SilenceResendText(2000, 50, 3), "No answer from the modem for 100 s: block 3 sent again");
    EXPECT_EQ(SilenceResendText(2000, 500, 12), "No answer from the modem for 1000 s: block 12 sent again");
    EXPECT_EQ(SilenceResendText(30, 55, 1),
              "No answer from the modem for 2 s: block 1 sent again");  // 1.65 s
    // The product of ticks and interval does not overflow.
    EXPECT_EQ(SilenceResendText(2'000'000'000, 2'000'000, 1),
              "No answer from the modem for 4000000000000 s: block 1 sent again");
}

TEST(RepeatedRequestText, CountsOnceAsOneTimeAndMoreAsTimes) {
    EXPECT_EQ(RepeatedRequestText(3, 1), "The modem asked for block 3 again (1 time)");
    EXPECT_EQ(RepeatedRequestText(3, 4), "The modem asked for block 3 again (4 times)");
}

}  // namespace
}  // namespace flash410::upload
