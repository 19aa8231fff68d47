#include <windows.h>

#include "image/system_reason_win32.h"
#include "test_files.h"

namespace flash410::image::testing {

std::string MissingFileReason() {
    return WindowsReason(ERROR_FILE_NOT_FOUND);
}

std::string MissingFolderReason() {
    return WindowsReason(ERROR_PATH_NOT_FOUND);
}

}  // namespace flash410::image::testing
