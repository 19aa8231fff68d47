// Files that are read, with what only POSIX systems have: named pipes, device files and links.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "image/byte_file.h"
#include "image/preparation_error.h"
#include "support/temp_folder.h"
#include "test_files.h"

namespace flash410::image {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;
using testing::WriteFile;

std::string OpeningFailure(const fs::path& name) {
    try {
        ByteFile::OpenForReading(name);
    } catch (const PreparationError& failure) {
        return failure.what();
    }
    return "no failure";
}

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
    WriteFile(folder / "fw.hex", "text");
    fs::create_symlink(folder / "fw.hex", folder / "link.hex");
    ByteFile file = ByteFile::OpenForReading(folder / "link.hex");
    std::uint8_t bytes[8];
    EXPECT_EQ(file.Read(bytes), 4u);
    EXPECT_EQ(file.Size(), 4u);
}

}  // namespace
}  // namespace flash410::image
