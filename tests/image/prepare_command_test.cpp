// flash410-cli: subcommand dispatch, and "prepare" run on files as an engineer would.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli_commands.h"
#include "image/image_layout.h"
#include "prepare_command.h"
#include "test_files.h"

namespace flash410::cli {
namespace {

using image::testing::EndOfFileRecord;
using image::testing::ExtendedLinearAddress;
using image::testing::HexRecord;
using image::testing::ReadFile;
using image::testing::TempFolder;
using image::testing::WriteFile;

struct CliRun {
    int Status;
    std::string Out;
    std::string Err;
};

CliRun Prepare(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunPrepare(arguments, out, err);
    return {status, out.str(), err.str()};
}

std::string HexText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

TEST(PrepareCommand, HexFileBecomesBinaryAndUploadImageBesideIt) {
    TempFolder folder;
    WriteFile(folder / "fw.hex", HexText({HexRecord(0, 0, {0x00}), std::string(EndOfFileRecord)}));
    const CliRun run = Prepare({(folder / "fw.hex").string()});
    EXPECT_EQ(run.Status, ExitSuccess) << run.Err;
    EXPECT_EQ(run.Out, "Binary image: " + (folder / "fw.BIN").string() + "\nUpload image: " +
                           (folder / "fw.VXF").string() + "\nBlocks: 1\nChecksum: FF01\n");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(ReadFile(folder / "fw.BIN").size(), image::BinaryImageSize);
    EXPECT_EQ(ReadFile(folder / "fw.VXF").size(), image::BlockSize + image::ChecksumDigits);
}

TEST(PrepareCommand, DotInAFolderNameDoesNotCutTheName) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "rel.2");
    WriteFile(folder / "rel.2" / "fw.h86", HexText({std::string(EndOfFileRecord)}));
    const CliRun run = Prepare({(folder / "rel.2" / "fw.h86").string()});
    EXPECT_EQ(run.Status, ExitSuccess) << run.Err;
    EXPECT_TRUE(std::filesystem::exists(folder / "rel.2" / "fw.BIN"));
    EXPECT_EQ(ReadFile(folder / "rel.2" / "fw.VXF"), (std::vector<std::uint8_t>{'0', '0', '0', '0'}));
}

TEST(PrepareCommand, OutputsExistingInAnotherCaseAreOverwritten) {
    TempFolder folder;
    WriteFile(folder / "fw.MCS", HexText({std::string(EndOfFileRecord)}));
    WriteFile(folder / "fw.vxf", "old upload image");
    WriteFile(folder / "FW.bin", "old binary image");
    ASSERT_EQ(Prepare({(folder / "fw.MCS").string()}).Status, ExitSuccess);
    EXPECT_EQ(ReadFile(folder / "fw.vxf"), (std::vector<std::uint8_t>{'0', '0', '0', '0'}));
    EXPECT_EQ(ReadFile(folder / "FW.bin").size(), image::BinaryImageSize);
    EXPECT_FALSE(std::filesystem::exists(folder / "fw.VXF"));
    EXPECT_FALSE(std::filesystem::exists(folder / "fw.BIN"));
}

TEST(PrepareCommand, BinFileIsReadUnderItsStemAndCutIntoBlocks) {
    TempFolder folder;
    WriteFile(folder / "fw.bin", std::string(2 * image::ChunkSize, '\0'));
    const CliRun run = Prepare({(folder / "fw.bin").string()});
    EXPECT_EQ(run.Status, ExitSuccess) << run.Err;
    EXPECT_NE(run.Out.find("Blocks: 2\nChecksum: "), std::string::npos) << run.Out;
    EXPECT_EQ(ReadFile(folder / "fw.VXF").size(), 2 * image::BlockSize + image::ChecksumDigits);
    EXPECT_EQ(ReadFile(folder / "fw.bin").size(), 2 * image::ChunkSize);  // the input is only read
}

TEST(PrepareCommand, ReadyUploadImageIsOnlyCounted) {
    TempFolder folder;
    WriteFile(folder / "fw.vxf", std::string(2 * image::BlockSize + 5, 'x'));
    const CliRun run = Prepare({(folder / "fw.vxf").string()});
    EXPECT_EQ(run.Status, ExitSuccess);
    EXPECT_NE(run.Out.find("Blocks: 2\n"), std::string::npos) << run.Out;
    EXPECT_FALSE(std::filesystem::exists(folder / "fw.BIN"));
}

TEST(PrepareCommand, DataOutsideTheFlashIsReported) {
    TempFolder folder;
    WriteFile(folder / "fw.hex", HexText({ExtendedLinearAddress(0x0100), HexRecord(0, 0, {1, 2, 3}),
                                          std::string(EndOfFileRecord)}));
    const CliRun run = Prepare({(folder / "fw.hex").string()});
    EXPECT_EQ(run.Status, ExitSuccess);
    EXPECT_EQ(run.Err, "Warning: 3 bytes lay outside the 4 MiB flash and were left out of the image\n");
}

TEST(PrepareCommandFailures, UnexpectedExtensionPreparesNothing) {
    // Only the first "." of the name counts, so fw.rev.hex has the extension REV.
    TempFolder folder;
    WriteFile(folder / "fw.rev.hex", HexText({std::string(EndOfFileRecord)}));
    const CliRun run = Prepare({(folder / "fw.rev.hex").string()});
    EXPECT_EQ(run.Status, ExitFailure);
    EXPECT_EQ(run.Err.rfind("Unexpected file extension (REV)", 0), 0u) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(folder / "fw.BIN"));
}

TEST(PrepareCommandFailures, MissingFileIsNamed) {
    TempFolder folder;
    const CliRun run = Prepare({(folder / "fw.hex").string()});
    EXPECT_EQ(run.Status, ExitFailure);
    EXPECT_EQ(run.Err, "Cannot open " + (folder / "fw.hex").string() + ": No such file or directory\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "fw.BIN"));
}

TEST(PrepareCommandFailures, MalformedHexFileNamesTheLine) {
    TempFolder folder;
    WriteFile(folder / "fw.hex", HexText({HexRecord(0, 0, {1}), ":0X"}));
    const CliRun run = Prepare({(folder / "fw.hex").string()});
    EXPECT_EQ(run.Status, ExitFailure);
    EXPECT_EQ(run.Err, "Cannot convert " + (folder / "fw.hex").string() +
                           ", line 2: the record is too short: it needs 9 characters, the line has 3\n");
    EXPECT_EQ(run.Out, "");
}

TEST(PrepareCommandFailures, WrongNumberOfArgumentsIsAUsageError) {
    EXPECT_EQ(Prepare({}).Status, ExitUsage);
    EXPECT_EQ(Prepare({"a.hex", "b.hex"}).Status, ExitUsage);
}

TEST(CliCommands, DispatchesToTheNamedCommandWithTheRestOfTheArguments) {
    std::vector<std::string> received;
    const std::vector<CliCommand> commands{
        PrepareCommand(),
        {"check", "FILE", "Checks.",
         [&](std::span<const std::string> arguments, std::ostream&, std::ostream&) {
             received.assign(arguments.begin(), arguments.end());
             return 7;
         }}};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{"check", "a", "b"}, out, err), 7);
    EXPECT_EQ(received, (std::vector<std::string>{"a", "b"}));
}

TEST(CliCommands, HelpGoesToOutputAndMistakesToErrors) {
    const std::vector<CliCommand> commands{PrepareCommand()};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{"--help"}, out, err), ExitSuccess);
    EXPECT_NE(out.str().find("prepare FILE"), std::string::npos);
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{}, out, err), ExitUsage);
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{"frob"}, out, err), ExitUsage);
    EXPECT_EQ(err.str().find("Usage:"), 0u);
    EXPECT_NE(err.str().find("Unknown command: frob\n"), std::string::npos);
}

TEST(CliCommands, VersionNamesTheProgram) {
    const std::vector<CliCommand> commands{PrepareCommand()};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{"--version"}, out, err), ExitSuccess);
    EXPECT_EQ(out.str(), "flash410-cli 2.5\n");
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace flash410::cli
