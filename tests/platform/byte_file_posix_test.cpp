// Files that are read, with what only POSIX systems have: named pipes, device files and links; and the
// lock that keeps a file opened for appending to one writer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "file_test_helpers.h"
#include "platform/byte_file.h"
#include "support/temp_folder.h"

namespace flash410::platform {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;
using namespace testing;

TEST(ByteFile, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fw.hex").c_str(), 0600), 0);
    EXPECT_EQ(OpeningFailure(folder / "fw.hex"),
              "Cannot read " + (folder / "fw.hex").string() + ": Is a named pipe, not a regular file");
}

TEST(ByteFile, ADeviceIsRefusedEvenBehindALink) {
    TempFolder folder;
    fs::create_symlink("/dev/zero", folder / "fw.hex");
    EXPECT_EQ(OpeningFailure(folder / "fw.hex"),
              "Cannot read " + (folder / "fw.hex").string() + ": Is a device, not a regular file");
    EXPECT_EQ(OpeningFailure("/dev/null"), "Cannot read /dev/null: Is a device, not a regular file");
}

TEST(ByteFile, ARegularFileIsReadAlsoThroughALink) {
    TempFolder folder;
    folder.Write("fw.hex", "text");
    fs::create_symlink(folder / "fw.hex", folder / "link.hex");
    ByteFile file = ByteFile::OpenForReading(folder / "link.hex");
    std::uint8_t bytes[8];
    EXPECT_EQ(file.Read(bytes), 4u);
    EXPECT_EQ(file.Size(), 4u);
}

// The refusal is told apart from a lock that fails, so that the caller can say who holds the file.
TEST(ByteFile, AFileOpenForAppendingIsRefusedToASecondWriterUntilClosed) {
    TempFolder folder;
    ByteFile first = ByteFile::OpenForAppending(folder / "Capture.txt");
    try {
        ByteFile::OpenForAppending(folder / "Capture.txt");
        FAIL() << "two writers on one file";
    } catch (const FileError& refusal) {
        EXPECT_TRUE(refusal.InUse());
        EXPECT_EQ(refusal.Action(), FileAction::kLock);
        EXPECT_EQ(refusal.Path(), folder / "Capture.txt");
    }
    first.Close();
    EXPECT_NO_THROW(ByteFile::OpenForAppending(folder / "Capture.txt"));
}

}  // namespace
}  // namespace flash410::platform
