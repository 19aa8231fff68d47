// The files an upload session writes beside an upload of the campaign (the capture log and the history),
// where the plan has them, and the promises they keep: a log that reads back and agrees with the bytes on
// the line, a history record that agrees with the upload's end, and a warning, not a broken upload, where
// they cannot be written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "campaign/campaign_plan.h"
#include "session/upload_session.h"
#include "upload/upload_result.h"

namespace flash410::campaign {

class VirtualCable;

// A folder of its own for one plan's files, removed with everything in it when it goes.
class SideFolder {
  public:
    explicit SideFolder(const CampaignPlan& plan);
    ~SideFolder();
    SideFolder(const SideFolder&) = delete;
    SideFolder& operator=(const SideFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Where the session writes the capture log and the history: in the folder, somewhere every write fails, or
// nowhere. A traced plan always has a capture log, which its trace shows.
std::optional<std::string> CapturePath(const CampaignPlan& plan, const SideFolder& folder, bool traced);
std::string HistoryPath(const CampaignPlan& plan, const SideFolder& folder);

struct SideFileResults {
    std::optional<std::string> capturePath = {};
    std::string historyPath = {};
    std::optional<session::UploadConcluded> concluded = {};
    std::vector<session::SideProblem> warnings = {};
};

// Adds a breach for each promise of the side files that the upload broke.
void CheckSideFiles(const CampaignPlan& plan, const VirtualCable& cable, const upload::UploadResult& result,
                    const SideFileResults& files, std::vector<std::string>& breaches);

}  // namespace flash410::campaign
