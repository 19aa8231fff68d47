// Reading the PC's command lines ("UP BULK", "GO", ...), each ended by CR.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "modem_sim/modem_line.h"
#include "modem_sim/upload_report.h"

namespace modemsim {

struct CommandLine {
    ModemLine::Status status = ModemLine::Status::kOk;
    std::string text;  // without its CR; an over-long line keeps only its start
};

// Waits as long as it takes for the next CR.
CommandLine ReadCommandLine(ModemLine& line);

std::optional<UploadType> AsUploadRequest(std::string_view command);

// The line with anything but printable ASCII shown as <hex>, for the log.
std::string Printable(std::string_view bytes);

}  // namespace modemsim
