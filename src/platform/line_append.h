// Appends a line to a log that several programs, and several threads of one, add to at once: the line goes
// in one write to the file's end (O_APPEND on POSIX, FILE_APPEND_DATA on Windows), so that lines written at
// the same time never mix, and nothing already in the file is ever rewritten or cut.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace flash410::platform {

// Appends line (which ends with "\n") to the UTF-8 named file, creating it when missing, and waits until
// the system has it on the disk. When the file does not end with a line end (a write cut short by a full
// disk or a power loss), the line starts on a new line, so that only the damaged line is lost. Returns
// why the line could not be written whole, in words for the operator, or nothing when it was.
std::optional<std::string> AppendLine(const std::string& file, std::string_view line);

}  // namespace flash410::platform
