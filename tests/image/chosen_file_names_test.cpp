// The names formed for a chosen file: the extension after the last "." of the bare name, the file read
// being the chosen one, and outputs matched to existing files without regard to case.
#include <gtest/gtest.h>

#include "image/chosen_file_names.h"
#include "support/temp_folder.h"
#include "test_files.h"

namespace flash410::image {
namespace {

using test_support::TempFolder;
using testing::WriteFile;

TEST(ChosenFileNames, TheExtensionFollowsTheLastDotOfTheBareName) {
    const struct {
        const char* chosen;
        const char* extension;
        const char* stem;
        ChosenFileKind kind;
    } cases[] = {
        {"fw.hex", "HEX", "fw", ChosenFileKind::kIntelHex},
        {"fw.rev.H86", "H86", "fw.rev", ChosenFileKind::kIntelHex},
        {"sub.d/fw.Mcs", "MCS", "sub.d/fw", ChosenFileKind::kIntelHex},
        {"/a.b/c.d/fw.bin", "BIN", "/a.b/c.d/fw", ChosenFileKind::kBinaryImage},
        {"fw.vxf", "VXF", "fw", ChosenFileKind::kUploadImage},
        {"fw.bin.new", "NEW", "fw.bin", ChosenFileKind::kUnexpected},
        {"fw.hex~", "HEX~", "fw", ChosenFileKind::kUnexpected},
        {"fw.hexdump", "HEXDUMP", "fw", ChosenFileKind::kUnexpected},
        {"fw.", "", "fw", ChosenFileKind::kUnexpected},
    };
    for (const auto& expected : cases) {
        const ChosenFileNames names = FormChosenFileNames(expected.chosen);
        EXPECT_EQ(names.Extension, expected.extension) << expected.chosen;
        EXPECT_EQ(names.Stem, expected.stem) << expected.chosen;
        EXPECT_EQ(names.Kind, expected.kind) << expected.chosen;
    }
}

TEST(ChosenFileNames, ANameWithoutADotHasNoExtension) {
    for (const char* chosen : {"binary", "hex", "rel.2/vxf"}) {
        const ChosenFileNames names = FormChosenFileNames(chosen);
        EXPECT_EQ(names.Extension, "") << chosen;
        EXPECT_EQ(names.Stem, chosen);
        EXPECT_EQ(names.Kind, ChosenFileKind::kUnexpected) << chosen;
        EXPECT_TRUE(names.BinaryFileName.empty());
        EXPECT_TRUE(names.ImageFileName.empty());
    }
}

TEST(ChosenFileNames, OutputsAreFormedBesideTheInputInUpperCase) {
    TempFolder folder;
    const ChosenFileNames names = FormChosenFileNames((folder / "rel.2" / "fw.hex").string());
    EXPECT_EQ(names.BinaryFileName, folder / "rel.2" / "fw.BIN");
    EXPECT_EQ(names.ImageFileName, folder / "rel.2" / "fw.VXF");
}

TEST(ChosenFileNames, AChosenBinFileIsReadItselfWhateverElseDiffersOnlyInCase) {
    TempFolder folder;
    WriteFile(folder / "FW.BIN", "old");
    WriteFile(folder / "fw.bin", "new");
    const ChosenFileNames names = FormChosenFileNames((folder / "fw.bin").string());
    EXPECT_EQ(names.BinaryFileName, folder / "fw.bin");
    EXPECT_EQ(FormChosenFileNames((folder / "FW.BIN").string()).BinaryFileName, folder / "FW.BIN");
}

TEST(ChosenFileNames, AChosenVxfFileIsReadItself) {
    TempFolder folder;
    WriteFile(folder / "FW.VXF", "old");
    WriteFile(folder / "fw.vxf", "new");
    EXPECT_EQ(FormChosenFileNames((folder / "fw.vxf").string()).ImageFileName, folder / "fw.vxf");
}

TEST(ChosenFileNames, NamesInAnyLanguageKeepTheirLetters) {
    TempFolder folder;
    folder.Folder("café 日本");
    const std::string chosen = (folder / "café 日本/fé.hex").string();
    const ChosenFileNames names = FormChosenFileNames(chosen);
    EXPECT_EQ(names.Stem, chosen.substr(0, chosen.size() - 4));
    EXPECT_EQ(names.Kind, ChosenFileKind::kIntelHex);
    EXPECT_EQ(names.BinaryFileName, folder / "café 日本/fé.BIN");
    EXPECT_EQ(names.BinaryFileName.string(), names.Stem + ".BIN");
    EXPECT_EQ(names.ImageFileName, folder / "café 日本/fé.VXF");
}

TEST(ChosenFileNames, AnOutputDifferingOnlyInCaseIsReplacedUnlessOneMatchesExactly) {
    TempFolder folder;
    WriteFile(folder / "fw.vxf", "");
    WriteFile(folder / "Fw.Bin", "");
    ChosenFileNames names = FormChosenFileNames((folder / "fw.hex").string());
    EXPECT_EQ(names.ImageFileName, folder / "fw.vxf");
    EXPECT_EQ(names.BinaryFileName, folder / "Fw.Bin");

    WriteFile(folder / "fw.VXF", "");
    names = FormChosenFileNames((folder / "fw.hex").string());
    EXPECT_EQ(names.ImageFileName, folder / "fw.VXF");
}

}  // namespace
}  // namespace flash410::image
