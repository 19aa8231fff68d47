#include "chooser/drive_list.h"

namespace chfile1 {

std::vector<std::string> SystemDrives(const std::string& homeFolder) {
    return ReadDrives("/proc/mounts", homeFolder);
}

}  // namespace chfile1
