// The file type list the main window hands over, and how masks match file names.
#include "chooser/file_type_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace flash410::chooser {
namespace {

constexpr char kMainWindowFilter[] =
    "Varnel Upload (.vxf)|*.vxf|Binary (.bin)|*.bin|Intel HEX (.h86)|*.h86|Intel HEX (.mcs)|*.mcs|"
    "Intel HEX (.hex)|*.hex|";

std::vector<std::pair<std::string, std::string>> Pairs(const std::vector<FileType>& types) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const FileType& type : types) {
        pairs.emplace_back(type.Description, type.Mask);
    }
    return pairs;
}

TEST(FileTypeFilter, TheMainWindowsFilterGivesItsFivePairsInOrder) {
    const std::vector<std::pair<std::string, std::string>> expected = {{"Varnel Upload (.vxf)", "*.vxf"},
                                                                       {"Binary (.bin)", "*.bin"},
                                                                       {"Intel HEX (.h86)", "*.h86"},
                                                                       {"Intel HEX (.mcs)", "*.mcs"},
                                                                       {"Intel HEX (.hex)", "*.hex"}};
    EXPECT_EQ(Pairs(ParseFileTypeFilter(kMainWindowFilter)), expected);
}

TEST(FileTypeFilter, TheLastBarMayBeLeftOut) {
    const std::vector<std::pair<std::string, std::string>> expected = {{"Binary (.bin)", "*.bin"},
                                                                       {"Any", "*.*"}};
    EXPECT_EQ(Pairs(ParseFileTypeFilter("Binary (.bin)|*.bin|Any|*.*")), expected);
}

TEST(FileTypeFilter, PairsWithoutAMaskAreLeftOut) {
    const std::vector<std::pair<std::string, std::string>> expected = {{"Binary (.bin)", "*.bin"}};
    EXPECT_EQ(Pairs(ParseFileTypeFilter("Empty|| |  |Binary (.bin)|*.bin|Dangling description")), expected);
    // A pair with no description is shown by its mask.
    EXPECT_EQ(Pairs(ParseFileTypeFilter("|*.hex|")),
              (std::vector<std::pair<std::string, std::string>>{{"*.hex", "*.hex"}}));
}

TEST(FileTypeFilter, NothingUsableLeavesTheAllFilesEntry) {
    const auto allFiles = Pairs({AllFilesType()});
    EXPECT_EQ(allFiles.front().second, "*.*");
    for (const char* filter : {"", "|", "||||", "No mask"}) {
        SCOPED_TRACE(filter);
        EXPECT_EQ(Pairs(ParseFileTypeFilter(filter)), allFiles);
    }
}

TEST(FileMask, LettersMatchInEitherCase) {
    EXPECT_TRUE(MatchesFileMask("fw.hex", "*.hex"));
    EXPECT_TRUE(MatchesFileMask("fw.HEX", "*.hex"));
    EXPECT_TRUE(MatchesFileMask("FW.Hex", "*.HEX"));
    EXPECT_TRUE(MatchesFileMask("FIRMWARE.VXF", "firmware.vxf"));
}

TEST(FileMask, TheStarMatchesAnyRunAndTheQuestionMarkOneCharacter) {
    EXPECT_TRUE(MatchesFileMask(".hex", "*.hex"));
    EXPECT_TRUE(MatchesFileMask("a.b.hex", "*.hex"));
    EXPECT_FALSE(MatchesFileMask("fw.hex.bak", "*.hex"));
    EXPECT_FALSE(MatchesFileMask("fw.hexdump", "*.hex"));
    EXPECT_FALSE(MatchesFileMask("fwhex", "*.hex"));
    EXPECT_FALSE(MatchesFileMask("fw.bin", "*.hex"));
    EXPECT_TRUE(MatchesFileMask("fw1.bin", "fw?.bin"));
    EXPECT_FALSE(MatchesFileMask("fw.bin", "fw?.bin"));
    EXPECT_FALSE(MatchesFileMask("fw12.bin", "fw?.bin"));
    EXPECT_TRUE(MatchesFileMask("release-2-final.mcs", "release*final*"));
    EXPECT_FALSE(MatchesFileMask("release-2.mcs", "release*final*"));
}

TEST(FileMask, AllFilesMatchesNamesWithAndWithoutADot) {
    EXPECT_TRUE(MatchesFileMask("README", "*.*"));
    EXPECT_TRUE(MatchesFileMask("fw.hex", "*.*"));
    EXPECT_TRUE(MatchesFileMask("README", "*"));
    EXPECT_FALSE(MatchesFileMask("README", "*.?*"));
}

TEST(FileMask, AListMatchesAnyOfItsMasks) {
    EXPECT_TRUE(MatchesFileMask("fw.h86", "*.hex;*.h86"));
    EXPECT_TRUE(MatchesFileMask("fw.HEX", "*.hex; *.h86"));
    EXPECT_FALSE(MatchesFileMask("fw.mcs", "*.hex;*.h86;"));
    EXPECT_FALSE(MatchesFileMask("fw.mcs", ""));
}

TEST(FileMask, ManyStarsAgainstALongNameStillGiveTheRightAnswer) {
    const std::string name(5000, 'a');
    EXPECT_FALSE(MatchesFileMask(name, "*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchesFileMask(name + "b", "*a*a*a*a*a*a*a*a*a*a*b"));
}

}  // namespace
}  // namespace flash410::chooser
