// The system's words for a file that is not there and for a folder on the way that is not there ("No
// such file or directory" for both on POSIX; Windows tells them apart).
#pragma once

#include <string>

namespace flash410::test_support {

std::string MissingFileReason();
std::string MissingFolderReason();

}  // namespace flash410::test_support
