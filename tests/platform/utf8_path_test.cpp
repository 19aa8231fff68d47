// Names in any language: UTF-8 text becomes the path the system knows by that name, and back.
#include "platform/utf8_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace flash410::platform {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

TEST(Utf8Path, AFileMadeByItsUtf8NameIsListedByThatName) {
    TempFolder folder;
    const std::vector<std::string> names = {"café", "日本.bin", "Ελληνικά fw.hex", "José's"};
    for (const std::string& name : names) {
        std::ofstream(folder.path() / PathFromUtf8(name)) << "x";
    }
    std::vector<std::string> listed;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.path())) {
        // The standard library's own UTF-8 reading of the name on disk, and its text.
        const fs::path name = entry.path().filename();
        listed.push_back(name.string());
        const std::u8string utf8 = name.u8string();
        EXPECT_EQ(PathFromUtf8(std::string(utf8.begin(), utf8.end())), name);
    }
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
}

TEST(Utf8Path, APathIsBuiltFromItsFoldersAndTheirSeparators) {
    const fs::path path = PathFromUtf8("dossier/café/fé.bin");
    EXPECT_EQ(path.filename(), fs::path(u8"fé.bin"));
    EXPECT_EQ(path.parent_path().filename(), fs::path(u8"café"));
    EXPECT_EQ(PathFromUtf8(""), fs::path());
}

TEST(Utf8Path, BytesThatAreNotUtf8StillMakeAPath) {
    // A Linux name need not be UTF-8; on Windows such bytes cannot come from the system, and become U+FFFD.
    const fs::path path = PathFromUtf8("fw\xff.bin");
    EXPECT_EQ(path.extension(), fs::path(".bin"));
    EXPECT_FALSE(path.stem().empty());
}

}  // namespace
}  // namespace flash410::platform
