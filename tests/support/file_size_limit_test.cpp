// Runs on a simulated full disk: writes past the limit must fail as on a full disk, and the parent must
// see what the child reported and left behind.
#include "file_size_limit.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "temp_folder.h"

namespace flash410::test_support {
namespace {

// Writes count bytes in one call; returns the bytes written or -errno.
long WriteOnce(int descriptor, std::size_t count) {
    const std::string bytes(count, 'x');
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    return written < 0 ? -errno : written;
}

TEST(FileSizeLimit, AWritePastTheLimitFailsAsOnAFullDiskAndTheFileKeepsWhatFitted) {
    const TempFolder folder("support");
    const std::string file = (folder / "out").string();
    const LimitedRun run = RunWithFileSizeLimit(100, [&](std::string& report) {
        const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (descriptor < 0) {
            report = "cannot open";
            return 1;
        }
        const long first = WriteOnce(descriptor, 60);
        const long second = WriteOnce(descriptor, 60);  // only 40 bytes fit
        const long third = WriteOnce(descriptor, 1);
        ::close(descriptor);
        report = std::to_string(first) + " " + std::to_string(second) + " " + std::to_string(third);
        return 7;
    });
    EXPECT_EQ(run.Status, 7);
    EXPECT_EQ(run.Report, "60 40 " + std::to_string(-EFBIG));
    EXPECT_EQ(std::filesystem::file_size(file), 100u);
}

TEST(FileSizeLimit, TheParentIsNotLimited) {
    const TempFolder folder("support");
    RunWithFileSizeLimit(1, [](std::string&) { return 0; });
    EXPECT_NO_THROW(folder.Write("big", std::string(4096, 'x')));
    EXPECT_EQ(folder.Read("big").size(), 4096u);
}

TEST(FileSizeLimit, AnEscapedExceptionGivesItsMessageAndStatus255) {
    const LimitedRun run =
        RunWithFileSizeLimit(100, [](std::string&) -> int { throw std::runtime_error("out of room"); });
    EXPECT_EQ(run.Status, 255);
    EXPECT_EQ(run.Report, "out of room");
}

}  // namespace
}  // namespace flash410::test_support
