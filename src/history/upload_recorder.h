// Makes the history record of an upload from what the front end knows when it starts the upload (what is
// uploaded where) and the engine's result at its end, with the wall clock's times of both.
#pragma once

#include <functional>
#include <optional>

#include "history/time_stamps.h"
#include "history/upload_record.h"
#include "upload/upload_engine.h"
#include "upload/upload_result.h"

namespace flash410::history {

class UploadRecorder {
  public:
    using Clock = std::function<WallClock::time_point()>;

    explicit UploadRecorder(Clock clock = [] { return WallClock::now(); }) : clock_(std::move(clock)) {}

    // The upload starts now. subject: the record's fields of what is uploaded where (program and version,
    // port, device and adapter, the file as chosen, the image, the request, the baud, the capture file as
    // named); the rest is filled in at the end, the file and the capture file named in full.
    void Started(UploadRecord subject);
    // The upload has ended: its record, or nothing when no upload was started (or it was recorded already).
    std::optional<UploadRecord> Ended(const upload::UploadResult& result);

  private:
    Clock clock_;
    std::optional<UploadRecord> subject_;
    WallClock::time_point startedAt_{};
};

}  // namespace flash410::history
