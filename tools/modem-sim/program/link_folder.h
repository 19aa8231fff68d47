// Where modem-sim puts its ports/comN link for "--link FOLDER N": the program in FOLDER looks for its port
// links in its settings folder, which is FOLDER itself for a program in a folder of its own and the
// user's configuration folder for an installed one.
#pragma once

#include <filesystem>

#include "platform/file_locations.h"

namespace modemsim {

// Throws std::runtime_error when FOLDER does not exist or the settings folder cannot be created.
std::filesystem::path PortLinkFolder(const std::filesystem::path& programFolder,
                                     const flash410::platform::UserFolders& user);

}  // namespace modemsim
