// An upload record as an entry of the system's log: its message, severity and fields.
#include "history/record_log_entry.h"

#include <array>
#include <charconv>
#include <string_view>

namespace flash410::history {

namespace {

constexpr std::string_view kComplete = "complete";
constexpr std::string_view kStopped = "stopped";
constexpr std::string_view kFieldPrefix = "FLASH410_";

// "12.3": one decimal, and a point whatever the program's locale (the Qt window sets the user's).
std::string Seconds(double seconds) {
    std::array<char, 32> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed, 1);
    return error == std::errc{} ? std::string(text.data(), end) : "?";
}

std::string Blocks(std::int32_t count) {
    return std::to_string(count) + (count == 1 ? " block" : " blocks");
}

// The port as given, and the device it stood for where its name does not already say it ("COM5" on Linux,
// a "usb:" port); "\\.\COM5" says nothing that "COM5" does not.
std::string PortText(const UploadRecord& record) {
    if (record.Port.empty()) {
        return record.Device;
    }
    if (record.Device.empty() || record.Device.ends_with(record.Port)) {
        return record.Port;
    }
    return record.Port + " (" + record.Device + ")";
}

std::string Message(const UploadRecord& record) {
    const bool complete = record.Outcome == kComplete;
    const bool stopped = record.Outcome == kStopped;
    std::string message = complete ? "Upload complete: " : stopped ? "Upload stopped: " : "Upload failed: ";
    message += record.FileName + " (" + Blocks(record.BlockCount) + ", SHA-256 " + record.ImageSha256 +
               ") into the modem on " + PortText(record);
    if (record.AdapterSerial) {
        message += ", adapter " + *record.AdapterSerial;
    }
    if (complete) {
        return message + ", in " + Seconds(record.DurationSeconds) + " s";
    }
    message += ", ";
    if (!stopped) {
        message += record.Outcome + " ";
    }
    message += "at block " + std::to_string(record.EndedAtBlock) + " of " +
               std::to_string(record.BlockCount) + " after " + Seconds(record.DurationSeconds) + " s";
    if (!record.Detail.empty()) {
        message += ": " + record.Detail;
    }
    return message;
}

platform::LogSeverity Severity(const UploadRecord& record) {
    if (record.Outcome == kComplete) {
        return platform::LogSeverity::kInformation;
    }
    return record.Outcome == kStopped ? platform::LogSeverity::kWarning : platform::LogSeverity::kError;
}

std::string FieldName(std::string_view jsonName) {
    std::string name(kFieldPrefix);
    for (const char c : jsonName) {
        name += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return name;
}

}  // namespace

platform::SystemLogEntry RecordLogEntry(const UploadRecord& record) {
    platform::SystemLogEntry entry{Message(record), Severity(record), {}};
    const nlohmann::ordered_json json = RecordToJson(record);
    for (const auto& [name, value] : json.items()) {
        if (value.is_null()) {
            continue;  // a value not known (no adapter serial, no capture file) is no field
        }
        entry.Fields.emplace_back(FieldName(name),
                                  value.is_string() ? value.get<std::string>() : value.dump());
    }
    // As the history file writes it: a name that is not UTF-8 does not keep the record out.
    entry.Fields.emplace_back(std::string(kFieldPrefix) + "RECORD",
                              json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    return entry;
}

}  // namespace flash410::history
