#include "test_files.h"

namespace flash410::image::testing {

std::string MissingFileReason() {
    return "No such file or directory";
}

std::string MissingFolderReason() {
    return "No such file or directory";
}

}  // namespace flash410::image::testing
