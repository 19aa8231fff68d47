#include "history/upload_history.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/file_locations.h"
#include "platform/line_append.h"
#include "platform/utf8_path.h"

namespace flash410::history {

namespace {

namespace fs = std::filesystem;

constexpr char kNotAdded[] = "The upload was not added to the history: ";

}  // namespace

std::optional<std::string> AppendToHistory(const std::string& historyFile, const UploadRecord& record) {
    const fs::path file = platform::PathFromUtf8(historyFile);
    const std::u8string folder = file.parent_path().u8string();
    if (!folder.empty()) {
        if (const std::optional<std::string> problem =
                platform::CreateFolder(std::string(folder.begin(), folder.end()))) {
            return kNotAdded + *problem;
        }
    }
    // One line, whatever the text holds: the JSON writer escapes line ends inside strings.
    const std::string line =
        RecordToJson(record).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
    if (const std::optional<std::string> problem = platform::AppendLine(historyFile, line)) {
        return kNotAdded + *problem;
    }
    return std::nullopt;
}

HistoryContents ReadHistory(const std::string& historyFile) {
    HistoryContents contents;
    const fs::path file = platform::PathFromUtf8(historyFile);
    std::error_code error;
    if (!fs::exists(file, error)) {
        return contents;
    }
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        throw std::runtime_error("cannot read " + historyFile);
    }
    contents.Exists = true;
    const std::u8string bareName = file.filename().u8string();
    const std::string shownName(bareName.begin(), bareName.end());
    std::string line;
    for (int number = 1; std::getline(stream, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        const nlohmann::json object = nlohmann::json::parse(line, nullptr, false);
        try {
            if (object.is_discarded() || !object.is_object()) {
                throw std::invalid_argument("not a whole record");
            }
            contents.Records.push_back(RecordFromJson(object));
        } catch (const std::exception&) {
            contents.Warnings.push_back(shownName + " line " + std::to_string(number) +
                                        ": not a whole record, skipped");
        }
    }
    if (stream.bad()) {
        throw std::runtime_error("cannot read " + historyFile);
    }
    return contents;
}

}  // namespace flash410::history
