// The command line of "flash410-cli station": its options, its help text, and their check before anything
// is prepared or watched.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "cli/system_conventions.h"
#include "cli/upload_options.h"

namespace flash410::cli {

struct StationOptions {
    std::vector<PortTarget> Named;      // ports watched by name
    std::vector<UsbSelector> Adapters;  // USB adapters watched by what they are; usb:any when nothing given
    std::int32_t Baud = 38400;
    upload::UploadRequest Request = upload::UploadRequest::kBulk;
    std::int32_t TimeoutSeconds = 100;
    std::optional<std::string> ExpectedImageSha256;
    bool Json = false;
    std::string File;
};

using ParsedStation = std::variant<StationOptions, HelpRequested, std::string>;

ParsedStation ParseStationOptions(std::span<const std::string> arguments,
                                  const SystemConventions& system = ThisSystem());

std::string StationHelp(const SystemConventions& system);

// The limits of a station's uploads: the request repeats until a modem answers, however long that takes,
// and every later wait is the time-out's, as for an upload.
upload::UploadLimits StationLimits(std::int32_t timeoutSeconds);

}  // namespace flash410::cli
