#include "campaign/campaign_plan.h"

#include <gtest/gtest.h>

namespace flash410::campaign {
namespace {

// A breach is replayed from its seed and plan number alone: the same two draw the same plan, and the
// number alone changes it.
TEST(CampaignPlan, TheSameSeedAndNumberDrawTheSamePlan) {
    for (std::uint64_t number = 0; number < 50; ++number) {
        const CampaignPlan plan = DrawPlan(410, number);
        EXPECT_EQ(DescribePlan(DrawPlan(410, number)), DescribePlan(plan));
        EXPECT_EQ(DrawPlan(410, number).chunks, plan.chunks);
        EXPECT_GE(plan.chunks.size(), 1u);
        EXPECT_LE(plan.chunks.size(), 4096u);
    }
    EXPECT_NE(DescribePlan(DrawPlan(410, 1)), DescribePlan(DrawPlan(410, 2)));
    EXPECT_NE(DescribePlan(DrawPlan(410, 1)), DescribePlan(DrawPlan(411, 1)));
}

TEST(CampaignPlan, OnlyAPlanThatLeavesNoWayAroundItsEndHasAnInevitableOne) {
    CampaignPlan plan;  // a modem without faults
    plan.chunks = {0, 1, 2};
    EXPECT_EQ(InevitableOutcome(plan), upload::UploadOutcome::kComplete);
    plan.modem.faults.failAfter = 1;
    EXPECT_EQ(InevitableOutcome(plan), upload::UploadOutcome::kModemFailed);
    plan.modem.faults.neverReady = true;
    EXPECT_EQ(InevitableOutcome(plan), upload::UploadOutcome::kTimedOut);
    plan.pullAfterProgramBytes = 100;  // the cable may go before or after the end
    EXPECT_EQ(InevitableOutcome(plan), std::nullopt);

    CampaignPlan silent;
    silent.chunks = {0};
    silent.limits.ResendOnSilence = false;
    silent.modem.faults.silences.push_back(
        {modemsim::SilencePoint::kBeforeBlockRequest, 0, std::chrono::milliseconds(100000)});
    EXPECT_EQ(InevitableOutcome(silent), std::nullopt);  // a silence as long as the wait
    silent.limits.ResendOnSilence = true;                // is met by sending the block again
    EXPECT_EQ(InevitableOutcome(silent), upload::UploadOutcome::kComplete);
}

}  // namespace
}  // namespace flash410::campaign
