#include "history/upload_record.h"

namespace flash410::history {

namespace {

nlohmann::ordered_json Nullable(const std::optional<std::string>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

std::optional<std::string> OptionalText(const nlohmann::json& object, const char* name) {
    const nlohmann::json& value = object.at(name);
    return value.is_null() ? std::nullopt : std::optional<std::string>(value.get<std::string>());
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
    object["started_utc"] = record.StartedUtc;
    object["started_local"] = record.StartedLocal;
    object["ended_utc"] = record.EndedUtc;
    object["ended_local"] = record.EndedLocal;
    object["program"] = record.Program;
    object["version"] = record.Version;
    object["port"] = record.Port;
    object["device"] = record.Device;
    object["adapter_serial"] = Nullable(record.AdapterSerial);
    object["file_name"] = record.FileName;
    object["file_path"] = record.FilePath;
    object["image_sha256"] = record.ImageSha256;
    object["block_count"] = record.BlockCount;
    object["image_checksum"] = record.ImageChecksum;
    object["request"] = record.Request;
    object["baud"] = record.Baud;
    object["outcome"] = record.Outcome;
    object["detail"] = record.Detail;
    object["ended_at_block"] = record.EndedAtBlock;
    object["blocks_sent_again"] = record.BlocksSentAgain;
    object["duration_s"] = record.DurationSeconds;
    object["capture_file"] = Nullable(record.CaptureFile);
    return object;
}

UploadRecord RecordFromJson(const nlohmann::json& object) {
    UploadRecord record;
    record.StartedUtc = object.at("started_utc").get<std::string>();
    record.StartedLocal = object.at("started_local").get<std::string>();
    record.EndedUtc = object.at("ended_utc").get<std::string>();
    record.EndedLocal = object.at("ended_local").get<std::string>();
    record.Program = object.at("program").get<std::string>();
    record.Version = object.at("version").get<std::string>();
    record.Port = object.at("port").get<std::string>();
    record.Device = object.at("device").get<std::string>();
    record.AdapterSerial = OptionalText(object, "adapter_serial");
    record.FileName = object.at("file_name").get<std::string>();
    record.FilePath = object.at("file_path").get<std::string>();
    record.ImageSha256 = object.at("image_sha256").get<std::string>();
    record.BlockCount = object.at("block_count").get<std::int32_t>();
    record.ImageChecksum = object.at("image_checksum").get<std::string>();
    record.Request = object.at("request").get<std::string>();
    record.Baud = object.at("baud").get<std::int32_t>();
    record.Outcome = object.at("outcome").get<std::string>();
    record.Detail = object.at("detail").get<std::string>();
    record.EndedAtBlock = object.at("ended_at_block").get<std::int32_t>();
    record.BlocksSentAgain = object.at("blocks_sent_again").get<std::int32_t>();
    record.DurationSeconds = object.at("duration_s").get<double>();
    record.CaptureFile = OptionalText(object, "capture_file");
    return record;
}

}  // namespace flash410::history
