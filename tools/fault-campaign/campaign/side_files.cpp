#include "campaign/side_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include <unistd.h>

#include "campaign/capture_reading.h"
#include "campaign/virtual_cable.h"
#include "history/upload_history.h"
#include "history/upload_record.h"

namespace flash410::campaign {
namespace {

// Every write to it fails as on a full disk.
constexpr const char* kFullDevice = "/dev/full";

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A path whose folder is a file: every write to it fails, whoever writes.
std::string InAFolderThatIsAFile(const SideFolder& folder, const std::string& name) {
    WriteFile((folder.Path() / "file").string(), {});
    return (folder.Path() / "file" / name).string();
}

bool Warned(const SideFileResults& files, session::SideProblem problem) {
    return std::find(files.warnings.begin(), files.warnings.end(), problem) != files.warnings.end();
}

void CheckCapture(const CampaignPlan& plan, const VirtualCable& cable, const SideFileResults& files,
                  std::vector<std::string>& breaches) {
    if (plan.capture == SideFile::kFailing) {
        if (!Warned(files, session::SideProblem::kCaptureFile)) {
            breaches.push_back("the capture log could not be written, and nobody was told");
        }
        return;
    }
    if (!files.capturePath) {
        return;
    }
    if (Warned(files, session::SideProblem::kCaptureFile)) {
        breaches.push_back("the capture log failed on a disk with room");
        return;
    }
    const CaptureReading reading = ReadCaptureLog(ReadWholeFile(*files.capturePath));
    for (const std::string& problem : reading.problems) {
        breaches.push_back(problem);
    }
    // A pulled cable takes part of the last write; the log has what the program wrote.
    const std::string& onTheLine = cable.ProgramBytes();
    const bool agrees =
        plan.pullAfterProgramBytes ? reading.sent.starts_with(onTheLine) : reading.sent == onTheLine;
    if (!agrees) {
        const auto [differ, unused] =
            std::mismatch(reading.sent.begin(), reading.sent.end(), onTheLine.begin(), onTheLine.end());
        breaches.push_back("the capture log says " + std::to_string(reading.sent.size()) +
                           " bytes went to the modem, the line carried " + std::to_string(onTheLine.size()) +
                           "; they differ from byte " + std::to_string(differ - reading.sent.begin()));
    }
}

void CheckHistory(const CampaignPlan& plan, const upload::UploadResult& result, const SideFileResults& files,
                  std::vector<std::string>& breaches) {
    if (!files.concluded || !files.concluded->Record) {
        breaches.push_back("the upload was not concluded with a record");
        return;
    }
    const history::UploadRecord& record = *files.concluded->Record;
    if (record.Outcome != history::OutcomeName(result.Outcome) || record.EndedAtBlock != result.BlocksSent ||
        record.BlockCount != static_cast<std::int32_t>(plan.chunks.size())) {
        breaches.push_back("the record says " + record.Outcome + " at block " +
                           std::to_string(record.EndedAtBlock) + ", the upload ended " +
                           history::OutcomeName(result.Outcome) + " at block " +
                           std::to_string(result.BlocksSent));
    }
    if (plan.history == SideFile::kFailing) {
        if (!Warned(files, session::SideProblem::kHistory)) {
            breaches.push_back("the history could not be written, and nobody was told");
        }
        return;
    }
    if (plan.history != SideFile::kWritten) {
        return;
    }
    const history::HistoryContents contents = history::ReadHistory(files.historyPath);
    if (Warned(files, session::SideProblem::kHistory) || contents.Records.size() != 1 ||
        !contents.Warnings.empty()) {
        breaches.push_back("the history holds " + std::to_string(contents.Records.size()) +
                           " records, not the upload's one");
    } else if (contents.Records.front() != record) {
        breaches.push_back("the history's record is not the one the upload was concluded with");
    }
}

}  // namespace

SideFolder::SideFolder(const CampaignPlan& plan)
    : path_(std::filesystem::temp_directory_path() /
            ("fault-campaign-" + std::to_string(getpid()) + "-" + std::to_string(plan.seed) + "-" +
             std::to_string(plan.number))) {
    std::filesystem::create_directories(path_);
}

SideFolder::~SideFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> CapturePath(const CampaignPlan& plan, const SideFolder& folder, bool traced) {
    switch (plan.capture) {
        case SideFile::kFailing:
            return std::filesystem::exists(kFullDevice) ? kFullDevice
                                                        : InAFolderThatIsAFile(folder, "capture.txt");
        case SideFile::kWritten:
            return (folder.Path() / "capture.txt").string();
        case SideFile::kNone:
            break;
    }
    return traced ? std::optional((folder.Path() / "capture.txt").string()) : std::nullopt;
}

std::string HistoryPath(const CampaignPlan& plan, const SideFolder& folder) {
    switch (plan.history) {
        case SideFile::kFailing:
            return InAFolderThatIsAFile(folder, "upload-history.jsonl");
        case SideFile::kWritten:
            return (folder.Path() / "upload-history.jsonl").string();
        case SideFile::kNone:
            break;
    }
    return {};
}

void CheckSideFiles(const CampaignPlan& plan, const VirtualCable& cable, const upload::UploadResult& result,
                    const SideFileResults& files, std::vector<std::string>& breaches) {
    CheckCapture(plan, cable, files, breaches);
    CheckHistory(plan, result, files, breaches);
}

}  // namespace flash410::campaign
