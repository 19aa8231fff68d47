#include "history/upload_recorder.h"

#include <filesystem>

#include "platform/utf8_path.h"

namespace flash410::history {

namespace {

namespace fs = std::filesystem;

// The chosen file's full name and its bare name, both UTF-8 with forward slashes kept as given.
std::pair<std::string, std::string> FullAndBareName(const std::string& path) {
    std::error_code error;
    fs::path full = fs::absolute(platform::PathFromUtf8(path), error);
    if (error) {
        full = platform::PathFromUtf8(path);
    }
    full = full.lexically_normal();
    const auto text = [](const fs::path& name) {
        const std::u8string utf8 = name.u8string();
        return std::string(utf8.begin(), utf8.end());
    };
    return {text(full), text(full.filename())};
}

}  // namespace

void UploadRecorder::Started(UploadRecord subject) {
    subject_ = std::move(subject);
    startedAt_ = clock_();
}

std::optional<UploadRecord> UploadRecorder::Ended(const upload::UploadResult& result) {
    if (!subject_) {
        return std::nullopt;
    }
    const WallClock::time_point endedAt = clock_();
    UploadRecord record = std::move(*subject_);
    subject_.reset();
    record.StartedUtc = UtcStamp(startedAt_);
    record.StartedLocal = LocalStamp(startedAt_);
    record.EndedUtc = UtcStamp(endedAt);
    record.EndedLocal = LocalStamp(endedAt);
    std::tie(record.FilePath, record.FileName) = FullAndBareName(record.FilePath);
    if (record.CaptureFile) {
        record.CaptureFile = FullAndBareName(*record.CaptureFile).first;
    }
    record.Outcome = OutcomeName(result.Outcome);
    record.Detail = result.Detail;
    record.EndedAtBlock = result.BlocksSent;
    record.BlocksSentAgain = result.BlocksAskedAgain;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(endedAt - startedAt_);
    record.DurationSeconds = static_cast<double>(elapsed.count()) / 1000.0;
    return record;
}

}  // namespace flash410::history
