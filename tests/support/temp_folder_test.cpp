// The temporary folder every test stands on: it must start empty, keep bytes exactly and leave nothing
// behind, or tests would see each other's files.
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace flash410::test_support {
namespace {

namespace fs = std::filesystem;

TEST(TempFolder, StartsEmptyAndIsRemovedWithEverythingInIt) {
    fs::path kept;
    {
        const TempFolder folder("support");
        kept = folder.path();
        EXPECT_TRUE(fs::is_directory(kept));
        EXPECT_TRUE(fs::is_empty(kept));
        EXPECT_NE(kept.filename().string().find("flash410-support-"), std::string::npos) << kept;
        folder.Write("deep/down/file", "x");
        folder.Folder("empty/too");
    }
    EXPECT_FALSE(fs::exists(kept)) << kept;
}

TEST(TempFolder, TwoFoldersAreNeverTheSame) {
    const TempFolder first;
    const TempFolder second;
    EXPECT_NE(first.path(), second.path());
}

TEST(TempFolder, FolderEndsWithASlashAndNamesThePath) {
    const TempFolder folder;
    EXPECT_EQ(folder.folder(), folder.path().string() + "/");
    EXPECT_EQ(folder / "a/b", folder.path() / "a" / "b");
}

TEST(TempFolder, WritesEveryByteExactlyAndReadsItBack) {
    const TempFolder folder;
    const std::string bytes("line\r\nnext\n\0\x1A\xFF end", 17);
    const std::string written = folder.Write("sub/file.bin", bytes);
    EXPECT_EQ(written, (folder.path() / "sub/file.bin").string());
    EXPECT_EQ(fs::file_size(written), bytes.size());
    EXPECT_EQ(folder.Read("sub/file.bin"), bytes);
    // Writing again replaces the file rather than adding to it.
    folder.Write("sub/file.bin", "short");
    EXPECT_EQ(folder.Read("sub/file.bin"), "short");
    folder.Write("bytes", std::vector<std::uint8_t>{0x00, 0x0D, 0xFF});
    EXPECT_EQ(folder.Read("bytes"), std::string("\x00\x0D\xFF", 3));
}

TEST(TempFolder, ReadingAFileThatIsNotThereGivesNothing) {
    const TempFolder folder;
    EXPECT_EQ(folder.Read("missing"), "");
}

TEST(TempFolder, AFileThatCannotBeWrittenThrows) {
    const TempFolder folder;
    folder.Folder("taken");
    EXPECT_THROW(WriteFileBytes(folder / "taken", "x"), std::runtime_error);
}

}  // namespace
}  // namespace flash410::test_support
