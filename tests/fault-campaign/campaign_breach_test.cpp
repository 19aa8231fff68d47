// Every breach the fault campaign found, replayed from its seed and plan number, with what it was.
#include <gtest/gtest.h>

#include "campaign/campaign_plan.h"
#include "campaign/campaign_run.h"

namespace flash410::campaign {
namespace {

struct Breach {
    const char* name;
    std::uint64_t seed;
    std::uint64_t plan;
};

void PrintTo(const Breach& breach, std::ostream* out) {
    *out << breach.name;
}

class CampaignBreach : public ::testing::TestWithParam<Breach> {};

TEST_P(CampaignBreach, NowKeepsEveryPromise) {
    const CampaignPlan plan = DrawPlan(GetParam().seed, GetParam().plan);
    const PlanRun run = RunPlan(plan);
    ASSERT_TRUE(run.result) << DescribePlan(plan);
    EXPECT_TRUE(run.breaches.empty()) << DescribePlan(plan) << "\n" << run.breaches.front();
}

// A modem silent for the whole block wait, sending its request as the block goes again, answered the block
// and its copy; the upload went a block ahead, a RESEND sent the wrong block, and an upload without the
// refused block was called complete (seed 410, plans 920, 957 and 1932).
INSTANTIATE_TEST_SUITE_P(Found, CampaignBreach,
                         ::testing::Values(Breach{"CompleteWithoutABlockAfterASilence", 410, 920},
                                           Breach{"CompleteWithoutABlockAfterASilenceAndAnErase", 410, 957},
                                           Breach{"CompleteWithoutABlockOfAThousand", 410, 1932}),
                         [](const ::testing::TestParamInfo<Breach>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace flash410::campaign
