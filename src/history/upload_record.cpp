#include "history/upload_record.h"

namespace flash410::history {

namespace {

// Each field of the record with its name in the JSON, in the JSON's order: one list for writing and
// reading.
template <typename Record, typename Visit>
void VisitFields(Record& record, Visit visit) {
    visit("started_utc", record.StartedUtc);
    visit("started_local", record.StartedLocal);
    visit("ended_utc", record.EndedUtc);
    visit("ended_local", record.EndedLocal);
    visit("program", record.Program);
    visit("version", record.Version);
    visit("port", record.Port);
    visit("device", record.Device);
    visit("adapter_serial", record.AdapterSerial);
    visit("file_name", record.FileName);
    visit("file_path", record.FilePath);
    visit("image_sha256", record.ImageSha256);
    visit("block_count", record.BlockCount);
    visit("image_checksum", record.ImageChecksum);
    visit("request", record.Request);
    visit("baud", record.Baud);
    visit("outcome", record.Outcome);
    visit("detail", record.Detail);
    visit("ended_at_block", record.EndedAtBlock);
    visit("blocks_sent_again", record.BlocksSentAgain);
    visit("duration_s", record.DurationSeconds);
    visit("capture_file", record.CaptureFile);
}

// A value missing from the record (an optional without one) is null in the JSON.
template <typename Value>
nlohmann::ordered_json Json(const Value& value) {
    return value;
}

nlohmann::ordered_json Json(const std::optional<std::string>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

// Throws nlohmann::json::exception for a value of the wrong type.
template <typename Value>
void Read(const nlohmann::json& json, Value& value) {
    value = json.get<Value>();
}

void Read(const nlohmann::json& json, std::optional<std::string>& value) {
    value = json.is_null() ? std::nullopt : std::optional<std::string>(json.get<std::string>());
}

}  // namespace

std::string OutcomeName(upload::UploadOutcome outcome) {
    using enum upload::UploadOutcome;
    switch (outcome) {
        case kComplete:
            return "complete";
        case kModemFailed:
            return "failed";
        case kUnexpectedReply:
            return "unexpected_reply";
        case kTimedOut:
            return "timed_out";
        case kConnectionLost:
            return "connection_lost";
        case kImageUnreadable:
            return "image_unreadable";
        case kBlockRefused:
            return "block_refused";
        case kStopped:
            return "stopped";
    }
    return "unknown";
}

std::string RequestName(upload::UploadRequest request) {
    return request == upload::UploadRequest::kMainAndConfiguration ? "mc" : "bulk";
}

nlohmann::ordered_json RecordToJson(const UploadRecord& record) {
    nlohmann::ordered_json object;
    VisitFields(record, [&object](const char* name, const auto& value) { object[name] = Json(value); });
    return object;
}

UploadRecord RecordFromJson(const nlohmann::json& object) {
    UploadRecord record;
    VisitFields(record, [&object](const char* name, auto& value) { Read(object.at(name), value); });
    return record;
}

}  // namespace flash410::history
