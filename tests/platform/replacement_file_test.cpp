// New versions of files: written aside, put in place whole or not at all, and nothing left behind by a
// failure.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "file_test_helpers.h"
#include "platform/replacement_file.h"
#include "support/folder_listing.h"
#include "support/missing_file_reason.h"
#include "support/temp_folder.h"

namespace flash410::platform {
namespace {

namespace fs = std::filesystem;
using test_support::NamesIn;
using test_support::TempFolder;
using namespace testing;

TEST(ReplacementFile, TheOldFileStaysUntilTheNewOneIsPutInPlace) {
    TempFolder folder;
    const fs::path target = folder / "fw.VXF";
    folder.Write("fw.VXF", "old");
    ReplacementFile replacement = ReplacementFile::Create(target);
    Write(replacement, "new contents");
    replacement.Flush();
    EXPECT_EQ(folder.Read("fw.VXF"), "old");
    EXPECT_EQ(NamesIn(folder.path()).size(), 2u);  // the old file and the new one beside it

    ByteFile placed = std::move(replacement).PutInPlace();
    EXPECT_EQ(folder.Read("fw.VXF"), "new contents");
    EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"fw.VXF"});
    EXPECT_EQ(placed.Name(), target);
    std::vector<std::uint8_t> readBack(3);
    EXPECT_EQ(placed.ReadAt(4, readBack), 3u);  // still open, on the new file
    EXPECT_EQ(readBack, Bytes("con"));
}

// Another program may be reading the file in place (an upload sending it), and Windows cannot replace an
// open file: a file that holds the new bytes already stays as it is. Its age tells whether it was
// replaced. The comparison reads the new file back, or takes its contents from a caller that holds them.
TEST(ReplacementFile, AFileThatHoldsTheNewBytesAlreadyIsKeptAndOnlyOneThatDiffersIsReplaced) {
    for (const bool contentsGiven : {false, true}) {
        SCOPED_TRACE(contentsGiven ? "contents given" : "new file read back");
        TempFolder folder;
        const fs::path target = folder / "fw.BIN";
        const auto yesterday = fs::file_time_type::clock::now() - std::chrono::hours(24);
        const auto putInPlace = [&](const std::string& old, const std::string& contents) {
            folder.Write("fw.BIN", old);
            fs::last_write_time(target, yesterday);
            ReplacementFile replacement = ReplacementFile::Create(target);
            Write(replacement, contents);
            std::vector<std::uint8_t> readBack(contents.size());
            ByteFile inPlace = contentsGiven ? std::move(replacement).PutInPlace(Bytes(contents))
                                             : std::move(replacement).PutInPlace();
            EXPECT_EQ(inPlace.ReadAt(0, readBack), contents.size());
            EXPECT_EQ(readBack, Bytes(contents));
            EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"fw.BIN"});
            EXPECT_EQ(folder.Read("fw.BIN"), contents);
            return fs::last_write_time(target) > yesterday + std::chrono::hours(1);
        };
        // Larger than one piece of the comparison, differing only in the last.
        const std::string image(100 * 1024, 'i');
        std::string changedAtTheEnd = image;
        changedAtTheEnd.back() = 'j';
        EXPECT_FALSE(putInPlace(image, image));
        EXPECT_TRUE(putInPlace(changedAtTheEnd, image));
        EXPECT_TRUE(putInPlace(image + "i", image));
        EXPECT_TRUE(putInPlace(image.substr(1), image));
        EXPECT_FALSE(putInPlace("", ""));
    }
}

// Contents that the file in place holds already are not written at all; should that file change before
// the replacement is put in place, the contents are written then, and never an empty file in their place.
TEST(ReplacementFile, WholeContentsThatTheTargetHoldsAreWrittenOnlyIfItChangesMeanwhile) {
    TempFolder folder;
    const fs::path target = folder / "fw.BIN";
    const std::vector<std::uint8_t> contents = Bytes("the same image");
    for (const bool changedMeanwhile : {false, true}) {
        for (const bool contentsGiven : {false, true}) {
            SCOPED_TRACE(std::string(changedMeanwhile ? "changed" : "unchanged") +
                         (contentsGiven ? ", given" : ""));
            folder.Write("fw.BIN", "the same image");
            ReplacementFile replacement = ReplacementFile::Create(target);
            replacement.WriteWhole(contents);
            EXPECT_TRUE(replacement.TargetHeldContents());
            EXPECT_EQ(replacement.File().Size(), 0u);
            if (changedMeanwhile) {
                folder.Write("fw.BIN", "another image");
            }
            replacement.Flush();
            contentsGiven ? std::move(replacement).PutInPlace(contents).Close()
                          : std::move(replacement).PutInPlace().Close();
            EXPECT_EQ(folder.Read("fw.BIN"), "the same image");
            EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"fw.BIN"});
        }
    }
    ReplacementFile differing = ReplacementFile::Create(target);
    differing.WriteWhole(Bytes("a new image"));
    EXPECT_FALSE(differing.TargetHeldContents());
    std::move(differing).PutInPlace().Close();
    EXPECT_EQ(folder.Read("fw.BIN"), "a new image");
}

TEST(ReplacementFile, ADroppedReplacementLeavesWhatWasThereAndNothingElse) {
    TempFolder folder;
    folder.Write("fw.VXF", "old");
    {
        ReplacementFile replacement = ReplacementFile::Create(folder / "fw.VXF");
        Write(replacement, "half a");
        ReplacementFile moved = std::move(replacement);
        ReplacementFile other = ReplacementFile::Create(folder / "fw.BIN");
        other = std::move(moved);  // the file other held goes at once
        EXPECT_EQ(NamesIn(folder.path()).size(), 2u);
    }
    EXPECT_EQ(folder.Read("fw.VXF"), "old");
    EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"fw.VXF"});
}

TEST(ReplacementFile, AFolderIsNotReplaced) {
    TempFolder folder;
    fs::create_directory(folder / "fw.VXF");
    EXPECT_EQ(FailureOf([&] { ReplacementFile::Create(folder / "fw.VXF"); }),
              "Cannot create " + (folder / "fw.VXF").string() + ": Is a directory");

    // Something put there while the new file was being written is not destroyed either.
    ReplacementFile replacement = ReplacementFile::Create(folder / "late");
    fs::create_directory(folder / "late");
    EXPECT_EQ(FailureOf([&] { std::move(replacement).PutInPlace(); }),
              "Cannot replace " + (folder / "late").string() + ": Is a directory");
    EXPECT_TRUE(fs::is_directory(folder / "late"));
}

TEST(ReplacementFile, FailuresNameTheFileTheOperatorKnows) {
    TempFolder folder;
    const fs::path target = folder / "no-such-folder" / "fw.VXF";
    EXPECT_EQ(FailureOf([&] { ReplacementFile::Create(target); }),
              "Cannot create " + target.string() + ": " + test_support::MissingFolderReason());
}

}  // namespace
}  // namespace flash410::platform
