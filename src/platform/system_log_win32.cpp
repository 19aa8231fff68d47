// The system log on Windows: the Application Event Log, the program's name as the event source, the entry's
// fields as "NAME=value" lines under its message.
#include <windows.h>

#include <exception>
#include <type_traits>

#include "platform/system_error_text_win32.h"
#include "platform/system_log.h"
#include "platform/utf16_text_win32.h"

namespace flash410::platform {

namespace {

// Every entry is of one kind. No message file is registered for the source, so the Event Viewer puts a
// line of its own before the text; the text itself is whole.
constexpr DWORD kEventId = 1;
// ReportEvent refuses a string longer than this: a longer text is cut rather than lost.
constexpr std::size_t kLongestString = 31839;

struct EventSourceDeregister {
    void operator()(HANDLE source) const { DeregisterEventSource(source); }
};
using EventSource = std::unique_ptr<std::remove_pointer_t<HANDLE>, EventSourceDeregister>;

WORD EventType(LogSeverity severity) {
    switch (severity) {
        case LogSeverity::kInformation:
            return EVENTLOG_INFORMATION_TYPE;
        case LogSeverity::kWarning:
            return EVENTLOG_WARNING_TYPE;
        case LogSeverity::kError:
            return EVENTLOG_ERROR_TYPE;
    }
    return EVENTLOG_ERROR_TYPE;
}

std::wstring ReportableText(const SystemLogEntry& entry) {
    std::wstring text = Utf16FromUtf8(EventLogText(entry));
    if (text.size() > kLongestString) {
        text.resize(kLongestString);
        if (text.back() >= 0xD800 && text.back() <= 0xDBFF) {
            text.pop_back();  // half a character
        }
    }
    return text;
}

}  // namespace

struct SystemLog::State {
    EventSource source;
    DWORD error = ERROR_SUCCESS;  // why there is no source
};

SystemLog::SystemLog(std::string programName) : state_(std::make_unique<State>()) {
    state_->source.reset(RegisterEventSourceW(nullptr, Utf16FromUtf8(programName).c_str()));
    if (!state_->source) {
        state_->error = GetLastError();
    }
}

SystemLog::~SystemLog() = default;

std::optional<std::string> SystemLog::Write(const SystemLogEntry& entry) {
    try {
        if (!state_->source) {
            return SystemLogProblem(WindowsErrorText(state_->error));
        }
        const std::wstring text = ReportableText(entry);
        const wchar_t* strings[] = {text.c_str()};
        if (!ReportEventW(state_->source.get(), EventType(entry.Severity), 0, kEventId, nullptr, 1, 0,
                          strings, nullptr)) {
            return SystemLogProblem(WindowsErrorText(GetLastError()));
        }
        return std::nullopt;
    } catch (const std::exception& error) {  // out of memory while the text was put together
        return SystemLogProblem(error.what());
    }
}

}  // namespace flash410::platform
