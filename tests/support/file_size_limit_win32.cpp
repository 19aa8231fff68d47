#include <stdexcept>

#include "file_size_limit.h"

namespace flash410::test_support {

// Windows has no limit on the size of a process's files to stand in for a full disk; the full-disk
// tests are left out of the Windows build's test list.
LimitedRun RunWithFileSizeLimit(std::uint64_t, const std::function<int(std::string& report)>&) {
    throw std::runtime_error("a simulated full disk needs a POSIX file size limit");
}

}  // namespace flash410::test_support
