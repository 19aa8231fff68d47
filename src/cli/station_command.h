// "flash410-cli station": one firmware into every modem connected to the ports it watches, until it is
// stopped, with the count of complete, failed and lost uploads.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/upload_command.h"
#include "history/upload_record.h"
#include "platform/time_of_day.h"

namespace flash410::cli {

struct StationContext {
    // As an upload from the command line has it: the link folder, the stop request, the terminal, the
    // ports present and the history file.
    UploadContext upload;
    // Writes an upload's record to the system's log, and says what went wrong; when empty, the system's
    // own log (the journal, the Event Log).
    std::function<std::optional<std::string>(const history::UploadRecord&)> logRecord = nullptr;
    // The time of day that stamps the lines; when empty, the local time.
    platform::TimeOfDayClock timeOfDay = nullptr;
    // How often the ports are looked at when the system tells nothing of adapters coming and going.
    std::chrono::milliseconds lookInterval{2000};
    // How long a port without adapter identity must stay quiet before its next modem.
    std::chrono::milliseconds quietBeforeNext{3000};
};

int RunStation(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               const StationContext& context);

CliCommand StationCommand(StationContext context);

}  // namespace flash410::cli
