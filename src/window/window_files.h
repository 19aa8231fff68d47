// The files of this run of the window program, located from its own folder and the user's environment.
#pragma once

#include <string>

#include "platform/file_locations.h"

namespace flash410::window {

struct WindowFiles {
    platform::FileLocations files;
    std::string homeFolder;  // where the file chooser remembers its folder
};

// Needs a running QCoreApplication, which knows the executable's folder (links followed).
WindowFiles LocateWindowFiles();

}  // namespace flash410::window
