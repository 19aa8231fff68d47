// Records for the history file's tests, each told apart by its port and block.
#pragma once

#include <string>

#include "history/upload_record.h"

namespace flash410::history {

inline UploadRecord SampleRecord(const std::string& port, std::int32_t block) {
    UploadRecord record;
    record.StartedUtc = "2026-12-08T19:02:03.120Z";
    record.StartedLocal = "2026-12-08T20:02:03.120+01:00";
    record.EndedUtc = "2026-12-08T19:03:21.370Z";
    record.EndedLocal = "2026-12-08T20:03:21.370+01:00";
    record.Program = "flash410-cli";
    record.Version = "2.5";
    record.Port = port;
    record.Device = "/dev/ttyUSB0";
    record.FileName = "release.hex";
    record.FilePath = "/home/engineer/release.hex";
    record.ImageSha256 = std::string(64, 'f');
    record.BlockCount = 255;
    record.ImageChecksum = "1A2B";
    record.Request = "bulk";
    record.Baud = 38400;
    record.Outcome = "complete";
    record.EndedAtBlock = block;
    record.DurationSeconds = 78.25;
    return record;
}

}  // namespace flash410::history
