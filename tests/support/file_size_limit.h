// Runs code on a simulated full disk, in place of a device that is always full. POSIX only: on Windows
// it throws, and the tests that use it are not run there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace flash410::test_support {

struct LimitedRun {
    // What the body returned, or -1 when the child process did not end by returning.
    int Status = -1;
    // What the body put in its report.
    std::string Report;
};

// Runs body in a child process whose files cannot grow beyond limit bytes, as on a full disk: a write
// past the limit fails (EFBIG) rather than ending the process. The body returns a status from 0 to 254
// and may fill in a report, such as the message of a failure, for the test to look at; an exception
// that escapes it gives status 255. The parent sees the files the child left behind.
LimitedRun RunWithFileSizeLimit(std::uint64_t limit, const std::function<int(std::string& report)>& body);

}  // namespace flash410::test_support
