// The system log on Linux: the journal, through libsystemd's native protocol, each field of the entry a
// journal field of its own.
#include <sys/stat.h>
#include <sys/uio.h>
#include <syslog.h>
// Without CODE_FILE, CODE_LINE and CODE_FUNC: where in this file an entry was sent tells its reader nothing.
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <systemd/sd-journal.h>

#include <cerrno>
#include <exception>

#include "platform/system_error_text.h"
#include "platform/system_log.h"

namespace flash410::platform {

namespace {

// Where journald listens, as libsystemd has it. libsystemd takes a missing socket for success, as most
// programs would rather lose a line than fail: this log is asked for on purpose, so its loss is said.
constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

int Priority(LogSeverity severity) {
    switch (severity) {
        case LogSeverity::kInformation:
            return LOG_INFO;
        case LogSeverity::kWarning:
            return LOG_WARNING;
        case LogSeverity::kError:
            return LOG_ERR;
    }
    return LOG_ERR;
}

std::optional<std::string> Send(const std::string& programName, const SystemLogEntry& entry) {
    struct stat socket {};
    if (::stat(kJournalSocket, &socket) != 0 || !S_ISSOCK(socket.st_mode)) {
        return SystemLogProblem(std::string("no journal runs here (") + kJournalSocket + " is missing)");
    }
    // Each field "NAME=value" as one piece: libsystemd sends a value holding line ends or zero bytes whole.
    std::vector<std::string> fields;
    fields.reserve(3 + entry.Fields.size());
    fields.push_back("MESSAGE=" + entry.Message);
    fields.push_back("PRIORITY=" + std::to_string(Priority(entry.Severity)));
    fields.push_back("SYSLOG_IDENTIFIER=" + programName);
    for (const auto& [name, value] : entry.Fields) {
        fields.push_back(SystemLogFieldName(name) + "=" + value);
    }
    std::vector<iovec> pieces;
    pieces.reserve(fields.size());
    for (std::string& field : fields) {
        pieces.push_back(iovec{field.data(), field.size()});
    }
    const int result = sd_journal_sendv(pieces.data(), static_cast<int>(pieces.size()));
    if (result < 0) {
        return SystemLogProblem(SystemErrorText(-result));
    }
    return std::nullopt;
}

}  // namespace

struct SystemLog::State {
    std::string programName;
};

SystemLog::SystemLog(std::string programName) : state_(std::make_unique<State>()) {
    state_->programName = std::move(programName);
}

SystemLog::~SystemLog() = default;

std::optional<std::string> SystemLog::Write(const SystemLogEntry& entry) {
    try {
        return Send(state_->programName, entry);
    } catch (const std::exception& error) {  // out of memory while the fields were put together
        return SystemLogProblem(error.what());
    }
}

}  // namespace flash410::platform
