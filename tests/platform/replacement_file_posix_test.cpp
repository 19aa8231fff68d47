// New versions of files, with what only POSIX systems have: a link replaced rather than written through,
// the mode of a replaced file kept, a named pipe left alone, and a full disk that leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "file_test_helpers.h"
#include "platform/replacement_file.h"
#include "support/file_size_limit.h"
#include "support/folder_listing.h"
#include "support/temp_folder.h"

namespace flash410::platform {
namespace {

namespace fs = std::filesystem;
using test_support::NamesIn;
using test_support::TempFolder;
using namespace testing;

unsigned ModeOf(const fs::path& name) {
    struct stat status {};
    EXPECT_EQ(::lstat(name.c_str(), &status), 0) << name;
    return status.st_mode & 07777;
}

// Sets the process's umask for the length of a test.
class UmaskSetting {
  public:
    explicit UmaskSetting(mode_t mask) : previous_(::umask(mask)) {}
    ~UmaskSetting() { ::umask(previous_); }

  private:
    mode_t previous_;
};

TEST(ReplacementFile, ALinkIsReplacedItselfNotWrittenThrough) {
    TempFolder folder;
    fs::create_directory(folder / "elsewhere");
    folder.Write("elsewhere/precious", "precious");
    fs::create_symlink(folder / "elsewhere" / "precious", folder / "fw.VXF");
    ReplacementFile replacement = ReplacementFile::Create(folder / "fw.VXF");
    Write(replacement, "image");
    std::move(replacement).PutInPlace();
    EXPECT_EQ(folder.Read("elsewhere/precious"), "precious");
    EXPECT_FALSE(fs::is_symlink(folder / "fw.VXF"));
    EXPECT_EQ(folder.Read("fw.VXF"), "image");

    // Even when what it leads to holds the very same bytes.
    fs::remove(folder / "fw.VXF");
    fs::create_symlink(folder / "elsewhere" / "precious", folder / "fw.VXF");
    ReplacementFile same = ReplacementFile::Create(folder / "fw.VXF");
    Write(same, "precious");
    std::move(same).PutInPlace();
    EXPECT_FALSE(fs::is_symlink(folder / "fw.VXF"));
    EXPECT_EQ(folder.Read("fw.VXF"), "precious");
}

TEST(ReplacementFile, AReplacedFileKeepsItsModeAndANewFileGetsTheUsualOne) {
    TempFolder folder;
    const UmaskSetting mask(027);
    folder.Write("kept", "old");
    fs::permissions(folder / "kept", static_cast<fs::perms>(0604));
    ReplacementFile::Create(folder / "kept").PutInPlace();
    EXPECT_EQ(ModeOf(folder / "kept"), 0604u);

    ReplacementFile::Create(folder / "new").PutInPlace();
    EXPECT_EQ(ModeOf(folder / "new"), 0666u & ~027u);
}

TEST(ReplacementFile, ANamedPipeIsNotReplaced) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fw.BIN").c_str(), 0600), 0);
    EXPECT_EQ(FailureOf([&] { ReplacementFile::Create(folder / "fw.BIN"); }),
              "Cannot create " + (folder / "fw.BIN").string() + ": Is a named pipe, not a regular file");
}

TEST(ReplacementFile, AFullDiskLeavesTheOldFileAndNoPartOfTheNewOne) {
    TempFolder folder;
    const fs::path target = folder / "fw.VXF";
    folder.Write("fw.VXF", "old");
    const test_support::LimitedRun run = test_support::RunWithFileSizeLimit(1000, [&](std::string& report) {
        ReplacementFile replacement = ReplacementFile::Create(target);
        try {
            Write(replacement, std::string(5000, 'x'));
        } catch (const FileError& failure) {
            report = failure.what();
            return 1;
        }
        return 0;
    });
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Report, "Cannot write " + target.string() + ": File too large");
    EXPECT_EQ(folder.Read("fw.VXF"), "old");
    EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"fw.VXF"});
}

}  // namespace
}  // namespace flash410::platform
