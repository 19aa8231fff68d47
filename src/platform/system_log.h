// Entries in the system's own log (the journal on Linux, the Event Log on Windows), one a call, so that the
// log collection a repair depot already runs gathers what the programs record there. Nothing here throws,
// and a write waits at most as long as the system's log takes to accept a message: a log that does not
// take an entry is said in words and changes nothing else.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace flash410::platform {

enum class LogSeverity { kInformation, kWarning, kError };

struct SystemLogEntry {
    std::string Message;  // one line a person reads
    LogSeverity Severity = LogSeverity::kInformation;
    // Name and value of each field beside the message: names such as "FLASH410_OUTCOME", made fit by
    // SystemLogFieldName. The journal keeps them as fields of their own; the Event Log gets them as
    // "NAME=value" lines under the message.
    std::vector<std::pair<std::string, std::string>> Fields;
};

// The name as the journal takes it: upper-case letters, digits and '_', at most 64 characters, beginning
// with a letter. The journal drops a field with any other name without a word, so every name is made fit:
// lower-case letters are raised, any other character becomes '_', leading '_'s go (the journal keeps those
// names for itself), and a name left empty, beginning with a digit or taken by the entry's own fields
// (MESSAGE, PRIORITY, SYSLOG_IDENTIFIER) is put after "FIELD_".
std::string SystemLogFieldName(std::string_view name);

// The entry as the Event Log shows it: the message, then a "NAME=value" line for each field (a line end in
// a value made a space), lines ended by "\r\n" as Windows ends them.
std::string EventLogText(const SystemLogEntry& entry);

class SystemLog {
  public:
    // programName names the entries: the journal's SYSLOG_IDENTIFIER, the Event Log's source.
    explicit SystemLog(std::string programName);
    ~SystemLog();
    SystemLog(const SystemLog&) = delete;
    SystemLog& operator=(const SystemLog&) = delete;

    // Writes the entry. Returns what went wrong in the operator's words ("The system log did not take the
    // record: ..."), or nothing once the log has it. A Linux system without a running journal is said so
    // rather than passed over, as the entry would be lost.
    std::optional<std::string> Write(const SystemLogEntry& entry);

  private:
    struct State;  // the system's own, in system_log_<system>.cpp
    std::unique_ptr<State> state_;
};

// "The system log did not take the record: <why>", the one wording of every system's failure.
std::string SystemLogProblem(std::string_view why);

}  // namespace flash410::platform
