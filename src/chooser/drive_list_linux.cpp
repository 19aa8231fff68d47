#include "chooser/drive_list.h"

namespace flash410::chooser {

std::vector<std::string> SystemDrives(const std::string& homeFolder) {
    return ReadDrives("/proc/mounts", homeFolder);
}

}  // namespace flash410::chooser
