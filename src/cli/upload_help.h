// The text of "flash410-cli upload --help": one text, with the ports and the ways to stop an upload in the
// words of the system it is for.
#pragma once

#include <string>

#include "cli/system_conventions.h"

namespace flash410::cli {

std::string UploadHelp(const SystemConventions& system);

}  // namespace flash410::cli
