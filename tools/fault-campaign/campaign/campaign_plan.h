// One upload of the fault campaign, drawn from the campaign's seed and the plan's number: the image, the
// line's rate, the engine's limits, the modem's faults, and where the cable is pulled or the operator
// stops. The same seed and number always draw the same plan.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "modem_sim/sim_config.h"
#include "upload/upload_engine.h"
#include "upload/upload_result.h"

namespace flash410::campaign {

// A file the upload session writes beside the upload: none, one it can write, or one whose writes fail.
enum class SideFile { kNone, kWritten, kFailing };

struct CampaignPlan {
    std::uint64_t seed = 0;
    std::uint64_t number = 0;
    std::vector<std::uint32_t> chunks;  // the 1 KiB chunks of the flash the image writes, in order
    std::uint64_t contentSeed = 0;      // the bytes of those chunks
    std::int32_t baud = 38400;
    upload::UploadLimits limits;
    modemsim::SimConfig modem;
    std::optional<std::uint64_t> pullAfterProgramBytes;
    std::optional<double> stopAfterSeconds;
    SideFile capture = SideFile::kNone;
    SideFile history = SideFile::kNone;
    // When the image file chosen is replaced by another on the disk, seconds after Start Upload.
    std::optional<double> replaceImageAfterSeconds;
};

CampaignPlan DrawPlan(std::uint64_t seed, std::uint64_t number);
// One line that tells the plan's every choice, for a breach's report.
std::string DescribePlan(const CampaignPlan& plan);
// The longest the modem takes over one reply, its pauses and its bytes' time on the wire included.
double ReplySeconds(const CampaignPlan& plan);
// The seconds one wait for a reply lasts at the upload's pace.
double ReplyWaitSeconds(const upload::UploadLimits& limits);
// The end that the plan leaves the upload no way around, where it leaves none.
std::optional<upload::UploadOutcome> InevitableOutcome(const CampaignPlan& plan);

}  // namespace flash410::campaign
