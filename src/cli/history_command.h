// "flash410-cli history": the record of past uploads, as a table for people or as JSON Lines for scripts.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "history/upload_record.h"

namespace flash410::cli {

// The records as a table, one line a record after a heading, oldest first: started (local time), port,
// device (and the adapter's serial number), file, blocks, outcome and duration.
std::string HistoryTable(const std::vector<history::UploadRecord>& records);

// Shows the history file's records, the last N with --last N, those of one port with --port P, as JSON
// Lines with --json. Damaged lines are said on err and skipped; an empty or missing history is said and
// is no error.
int RunHistory(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               const std::string& historyFile);

CliCommand HistoryCommand(std::string historyFile);

}  // namespace flash410::cli
