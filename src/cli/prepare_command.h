#pragma once

#include <ostream>
#include <span>
#include <string>

#include "cli/cli_commands.h"

namespace flash410::cli {

// "prepare FILE": turns an Intel HEX (".hex", ".h86", ".mcs") or binary (".bin") file into the ".BIN"
// and ".VXF" files beside it, as the window does, and prints the block count and the checksum text.
// A ready upload image (".vxf") is checked and counted, never changed. Nothing is written unless the
// whole preparation succeeds.
int RunPrepare(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               const SystemConventions& system = ThisSystem());

CliCommand PrepareCommand();

}  // namespace flash410::cli
