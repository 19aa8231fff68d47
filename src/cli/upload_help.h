// The command line of "flash410-cli upload": its options as given, before they are checked, and their
// definitions, which are the help text too: one text, with the ports and the ways to stop an upload in the
// words of the system it is for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/system_conventions.h"

namespace CLI {  // NOLINT(readability-identifier-naming): CLI11's name, declared here to keep its header out
class App;
}  // namespace CLI

namespace flash410::cli {

// The upload's arguments as the command line holds them, each value as it was written.
struct UploadArguments {
    std::vector<std::string> Ports;  // in the order given
    std::optional<std::string> Baud;
    std::optional<std::string> Type;
    std::optional<std::string> Capture;
    std::optional<std::string> Timeout;
    std::optional<std::string> ExpectSha256;
    bool Quiet = false;
    bool Json = false;
    std::vector<std::string> Files;  // one is right; more are named in the refusal
};

// Defines the upload's options on the app, read into arguments.
void DefineUploadCommandLine(CLI::App& app, UploadArguments& arguments, const SystemConventions& system);

std::string UploadHelp(const SystemConventions& system);

}  // namespace flash410::cli
