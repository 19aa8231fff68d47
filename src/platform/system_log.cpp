// What every system's log shares: fit field names, the Event Log's text of an entry, the problem's wording.
#include "platform/system_log.h"

#include <array>
#include <cstddef>

namespace flash410::platform {

namespace {

// The journal's own limit on a field name's length.
constexpr std::size_t kFieldNameMax = 64;
constexpr std::string_view kNamePrefix = "FIELD_";
// The fields every entry has: a caller's field of the same name would give the entry two of them.
constexpr std::array<std::string_view, 3> kEntryOwnFields = {"MESSAGE", "PRIORITY", "SYSLOG_IDENTIFIER"};

}  // namespace

std::string SystemLogFieldName(std::string_view name) {
    std::string fit;
    fit.reserve(name.size());
    for (const char c : name) {
        if (c >= 'a' && c <= 'z') {
            fit += static_cast<char>(c - 'a' + 'A');
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') {
            fit += c;
        } else {
            fit += '_';
        }
    }
    fit.erase(0, fit.find_first_not_of('_'));
    bool prefixed = fit.empty() || (fit.front() >= '0' && fit.front() <= '9');
    for (const std::string_view own : kEntryOwnFields) {
        prefixed = prefixed || fit == own;
    }
    if (prefixed) {
        fit.insert(0, kNamePrefix);
    }
    if (fit.size() > kFieldNameMax) {
        fit.resize(kFieldNameMax);
    }
    return fit;
}

std::string EventLogText(const SystemLogEntry& entry) {
    std::string text = entry.Message;
    for (const auto& [name, value] : entry.Fields) {
        text += "\r\n" + SystemLogFieldName(name) + "=";
        // A line end inside a value would start a line that is no field.
        for (const char c : value) {
            text += c == '\r' || c == '\n' ? ' ' : c;
        }
    }
    return text;
}

std::string SystemLogProblem(std::string_view why) {
    return "The system log did not take the record: " + std::string(why);
}

}  // namespace flash410::platform
