// One plan of the fault campaign run to its end: the upload session against the simulated modem on the
// virtual cable, then the promises checked that every upload must keep whatever the plan did to it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "campaign/campaign_plan.h"
#include "upload/upload_result.h"

namespace flash410::campaign {

struct PlanRun {
    std::optional<upload::UploadResult> result;  // none when the upload never ended
    double virtualSeconds = 0;                   // from Start Upload to the end
    std::vector<std::string> breaches;           // every promise broken, in words
};

// trace, where given, hears the modem's log, each line with its virtual time, and then the capture log.
PlanRun RunPlan(const CampaignPlan& plan, const std::function<void(const std::string&)>& trace = {});

// The upload image of the plan: each chunk's block (address, bytes, checksum), then the image's checksum.
std::vector<std::uint8_t> PlanImage(const CampaignPlan& plan);

}  // namespace flash410::campaign
