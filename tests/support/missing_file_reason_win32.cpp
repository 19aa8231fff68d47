#include <windows.h>

#include "missing_file_reason.h"
#include "platform/system_error_text_win32.h"

namespace flash410::test_support {

std::string MissingFileReason() {
    return platform::WindowsErrorText(ERROR_FILE_NOT_FOUND);
}

std::string MissingFolderReason() {
    return platform::WindowsErrorText(ERROR_PATH_NOT_FOUND);
}

}  // namespace flash410::test_support
