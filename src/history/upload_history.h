// The upload history file: JSON Lines, one record a line, appended one whole line a write and never
// rewritten, so that several ports and several programs can add to it at once and a power loss costs at
// most the line being written. The reader skips a damaged line and says which.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "history/upload_record.h"

namespace flash410::history {

// Appends the record to the history file, making its folder first. Returns why it could not, in words for
// the operator ("The upload was not added to the history: ..."), or nothing when it is on the disk.
std::optional<std::string> AppendToHistory(const std::string& historyFile, const UploadRecord& record);

struct HistoryContents {
    bool Exists = false;
    std::vector<UploadRecord> Records;  // in the file's order, oldest first
    // One for each line that is not a record: "upload-history.jsonl line 7: not a whole record, skipped".
    std::vector<std::string> Warnings;
};

// Throws std::runtime_error, with the system's words, for a file that exists but cannot be read.
HistoryContents ReadHistory(const std::string& historyFile);

}  // namespace flash410::history
