// One upload as the history keeps it: what went into which modem, when, and how it ended. Its JSON field
// names are a promise to the scripts that read the history (and `flash410-cli upload --json`): fields
// may be added, never renamed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "upload/upload_engine.h"
#include "upload/upload_result.h"

namespace flash410::history {

struct UploadRecord {
    std::string StartedUtc = {};    // "2026-12-08T19:02:03.120Z"
    std::string StartedLocal = {};  // "2026-12-08T20:02:03.120+01:00"
    std::string EndedUtc = {};
    std::string EndedLocal = {};
    std::string Program = {};  // "Flash410", "flash410-cli"
    std::string Version = {};
    std::string Port = {};  // "COM5" or a device path
    std::string Device = {};
    std::optional<std::string> AdapterSerial = {};  // the USB adapter's serial number, where known
    std::string FileName = {};                      // the file chosen, as named
    std::string FilePath = {};                      // the file chosen, in full
    std::string ImageSha256 = {};                   // of the upload image sent
    std::int32_t BlockCount = 0;
    std::string ImageChecksum = {};  // the image checksum, four hexadecimal digits, as the window shows it
    std::string Request = {};        // "bulk" or "mc"
    std::int32_t Baud = 0;
    std::string Outcome = {};  // OutcomeName
    std::string Detail = {};   // what the modem awaited or why the upload stopped; empty when complete
    std::int32_t EndedAtBlock = 0;
    std::int32_t BlocksSentAgain = 0;
    double DurationSeconds = 0;  // from the start of the upload to its end, to the millisecond
    std::optional<std::string> CaptureFile = {};

    bool operator==(const UploadRecord&) const = default;
};

// The outcome's stable lower-case name: "complete", "failed", "unexpected_reply", "timed_out",
// "connection_lost", "image_unreadable", "block_refused", "stopped".
std::string OutcomeName(upload::UploadOutcome outcome);
// "bulk" or "mc".
std::string RequestName(upload::UploadRequest request);

// The record's fields in their stable order.
nlohmann::ordered_json RecordToJson(const UploadRecord& record);
// Throws nlohmann::json::exception for an object that lacks a field or has one of the wrong type.
UploadRecord RecordFromJson(const nlohmann::json& object);

}  // namespace flash410::history
