// Makes the history record of an upload from what the front end knows when it starts the upload (the
// subject) and the engine's result at its end, with the wall clock's times of both.
#pragma once

#include <functional>
#include <optional>

#include "history/time_stamps.h"
#include "history/upload_record.h"
#include "upload/upload_engine.h"
#include "upload/upload_result.h"

namespace flash410::history {

// What is uploaded where, known before the upload starts.
struct UploadSubject {
    std::string Program;
    std::string Version;
    std::string Port;
    std::string Device;
    std::optional<std::string> AdapterSerial;
    std::string FilePath;  // the file chosen; made absolute for the record
    std::string ImageSha256;
    std::int32_t BlockCount = 0;
    std::string ImageChecksum;
    upload::UploadRequest Request = upload::UploadRequest::kBulk;
    std::int32_t Baud = 0;
    std::optional<std::string> CaptureFile;
};

class UploadRecorder {
  public:
    using Clock = std::function<WallClock::time_point()>;

    explicit UploadRecorder(Clock clock = [] { return WallClock::now(); }) : clock_(std::move(clock)) {}

    // The upload starts now.
    void Started(UploadSubject subject);
    // The upload has ended: its record, or nothing when no upload was started (or it was recorded already).
    std::optional<UploadRecord> Ended(const upload::UploadResult& result);

  private:
    Clock clock_;
    std::optional<UploadSubject> subject_;
    WallClock::time_point startedAt_{};
};

}  // namespace flash410::history
