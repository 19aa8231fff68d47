#include "missing_file_reason.h"

namespace flash410::test_support {

std::string MissingFileReason() {
    return "No such file or directory";
}

std::string MissingFolderReason() {
    return "No such file or directory";
}

}  // namespace flash410::test_support
