// flash410-cli: subcommand dispatch, and "prepare" run on files as an engineer would.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/prepare_command.h"
#include "image/image_layout.h"
#include "image/test_files.h"
#include "support/file_size_limit.h"
#include "support/folder_listing.h"
#include "support/temp_folder.h"

namespace flash410::cli {
namespace {

using image::testing::EndOfFileRecord;
using image::testing::ExtendedLinearAddress;
using image::testing::HexRecord;
using image::testing::HexText;
using image::testing::ReadFile;
using image::testing::WriteFile;
using test_support::NamesIn;
using test_support::TempFolder;

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

// Intel HEX with one data byte at address 0: an upload image of one block.
std::string OneByteHex() {
    return HexText({HexRecord(0, 0, {0x00}), std::string(EndOfFileRecord)});
}

// A valid upload image of `blocks` blocks named name in the folder, made as the command makes one;
// returns its checksum.
std::string MakeUploadImage(const TempFolder& folder, const std::string& name, std::size_t blocks) {
    WriteFile(folder / "made.bin", std::string(blocks * image::kChunkSize, '\x5A'));
    const CliRun run = Prepare({(folder / "made.bin").string()});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Err;
    std::filesystem::rename(folder / "made.VXF", folder / name);
    std::filesystem::remove(folder / "made.bin");
    const std::string::size_type at = run.Out.find("Checksum: ");
    return run.Out.substr(at + 10, 4);
}

TEST(PrepareCommand, HexFileBecomesBinaryAndUploadImageBesideIt) {
    TempFolder folder;
    WriteFile(folder / "fw.hex", HexText({HexRecord(0, 0, {0x00}), std::string(EndOfFileRecord)}));
    const CliRun run = Prepare({(folder / "fw.hex").string()});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Err;
    EXPECT_EQ(run.Out, "Binary image: " + (folder / "fw.BIN").string() + "\nUpload image: " +
                           (folder / "fw.VXF").string() + "\nBlocks: 1\nChecksum: FF01\n");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(ReadFile(folder / "fw.BIN").size(), image::kModemFlash.Bytes());
    EXPECT_EQ(ReadFile(folder / "fw.VXF").size(), image::kBlockSize + image::kChecksumDigits);
}

TEST(PrepareCommand, DotInAFolderNameDoesNotCutTheName) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "rel.2");
    WriteFile(folder / "rel.2" / "fw.h86", OneByteHex());
    const CliRun run = Prepare({(folder / "rel.2" / "fw.h86").string()});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Err;
    EXPECT_TRUE(std::filesystem::exists(folder / "rel.2" / "fw.BIN"));
    EXPECT_EQ(ReadFile(folder / "rel.2" / "fw.VXF").size(), image::kBlockSize + image::kChecksumDigits);
}

TEST(PrepareCommand, OutputsExistingInAnotherCaseAreOverwritten) {
    TempFolder folder;
    WriteFile(folder / "fw.MCS", OneByteHex());
    image::testing::WritePreparedImages(folder / "FW.bin", folder / "fw.vxf", 0x0D, image::kModemFlash);
    ASSERT_EQ(Prepare({(folder / "fw.MCS").string()}).Status, kExitSuccess);
    EXPECT_EQ(ReadFile(folder / "fw.vxf").size(), image::kBlockSize + image::kChecksumDigits);
    EXPECT_EQ(ReadFile(folder / "FW.bin").size(), image::kModemFlash.Bytes());
    EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"FW.bin", "fw.MCS", "fw.vxf"}));
}

TEST(PrepareCommand, HelpIsGivenWithStatusZeroAndAnOptionIsNoFileName) {
    const CliRun help = Prepare({"--help"});
    EXPECT_EQ(help.Status, kExitSuccess);
    EXPECT_EQ(help.Out.rfind("Usage: flash410-cli prepare FILE\n", 0), 0u) << help.Out;
    EXPECT_EQ(help.Err, "");
    const CliRun option = Prepare({"--force"});
    EXPECT_EQ(option.Status, kExitUsage);
    EXPECT_EQ(option.Err, "Unknown option: --force. Try 'flash410-cli prepare --help'.\n");
}

TEST(PrepareCommand, BinFileIsReadItselfAndCutIntoBlocks) {
    TempFolder folder;
    WriteFile(folder / "fw.bin", std::string(2 * image::kChunkSize, '\0'));
    const CliRun run = Prepare({(folder / "fw.bin").string()});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Err;
    EXPECT_NE(run.Out.find("Blocks: 2\nChecksum: "), std::string::npos) << run.Out;
    EXPECT_EQ(ReadFile(folder / "fw.VXF").size(), 2 * image::kBlockSize + image::kChecksumDigits);
    EXPECT_EQ(ReadFile(folder / "fw.bin").size(), 2 * image::kChunkSize);  // the input is only read
}

TEST(PrepareCommand, ReadyUploadImageIsCheckedAndCountedButNotChanged) {
    TempFolder folder;
    const std::string checksum = MakeUploadImage(folder, "fw.vxf", 2);
    const auto before = ReadFile(folder / "fw.vxf");
    const CliRun run = Prepare({(folder / "fw.vxf").string()});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Err;
    EXPECT_EQ(run.Out,
              "Upload image: " + (folder / "fw.vxf").string() + "\nBlocks: 2\nChecksum: " + checksum + "\n");
    EXPECT_EQ(ReadFile(folder / "fw.vxf"), before);
    EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"fw.vxf"});
}

TEST(PrepareCommand, DataOutsideTheFlashIsRefused) {
    TempFolder folder;
    WriteFile(folder / "fw.hex", HexText({HexRecord(0, 0, {9}), ExtendedLinearAddress(0x0100),
                                          HexRecord(0, 0, {1, 2, 3}), std::string(EndOfFileRecord)}));
    const CliRun run = Prepare({(folder / "fw.hex").string()});
    EXPECT_EQ(run.Status, kExitFailure);
    EXPECT_EQ(run.Err, "Cannot convert " + (folder / "fw.hex").string() +
                           ", line 3: its data at address 1000000 (hexadecimal) lies beyond the 4 MiB flash, "
                           "which ends at 3FFFFF\n");
    EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"fw.hex"});
}

TEST(PrepareCommandFailures, UnexpectedExtensionPreparesNothing) {
    // Only the last "." of the name counts, so fw.hex.txt has the extension TXT.
    TempFolder folder;
    WriteFile(folder / "fw.hex.txt", OneByteHex());
    const CliRun run = Prepare({(folder / "fw.hex.txt").string()});
    EXPECT_EQ(run.Status, kExitFailure);
    EXPECT_EQ(run.Err.rfind("Unexpected file extension (TXT)", 0), 0u) << run.Err;
    EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"fw.hex.txt"});
}

TEST(PrepareCommandFailures, MissingFileIsNamed) {
    TempFolder folder;
    const CliRun run = Prepare({(folder / "fw.hex").string()});
    EXPECT_EQ(run.Status, kExitFailure);
    EXPECT_EQ(run.Err, "Cannot open " + (folder / "fw.hex").string() + ": No such file or directory\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "fw.BIN"));
}

TEST(PrepareCommandFailures, MalformedHexFileNamesTheLine) {
    TempFolder folder;
    WriteFile(folder / "fw.hex", HexText({HexRecord(0, 0, {1}), ":0X"}));
    const CliRun run = Prepare({(folder / "fw.hex").string()});
    EXPECT_EQ(run.Status, kExitFailure);
    EXPECT_EQ(run.Err, "Cannot convert " + (folder / "fw.hex").string() +
                           ", line 2: \"X\" at position 3 is not a hexadecimal digit\n");
    EXPECT_EQ(run.Out, "");
}

TEST(PrepareCommandFailures, WrongNumberOfArgumentsIsAUsageErrorOfOneLine) {
    const CliRun none = Prepare({});
    EXPECT_EQ(none.Status, kExitUsage);
    EXPECT_EQ(none.Err, "Name the firmware file to prepare. Try 'flash410-cli prepare --help'.\n");
    const CliRun two = Prepare({"a.hex", "b.hex"});
    EXPECT_EQ(two.Status, kExitUsage);
    EXPECT_EQ(two.Err,
              "Only one firmware file can be prepared at a time (a.hex, b.hex). Try 'flash410-cli prepare "
              "--help'.\n");
}

TEST(PrepareCommandNames, TheLastDotOfTheBareNameGivesTheExtension) {
    TempFolder folder;
    const std::pair<const char*, const char*> unexpected[] = {
        {"fw.bin.new", "NEW"}, {"fw.hex~", "HEX~"}, {"binary", ""}};
    for (const auto& [name, extension] : unexpected) {
        WriteFile(folder / name, std::string(image::kChunkSize, '\0'));
        const CliRun run = Prepare({(folder / name).string()});
        EXPECT_EQ(run.Status, kExitFailure) << name;
        EXPECT_EQ(run.Err.rfind("Unexpected file extension (" + std::string(extension) + "):", 0), 0u)
            << run.Err;
        std::filesystem::remove(folder / name);
        EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{}) << name;
    }

    WriteFile(folder / "fw.rev.hex", OneByteHex());
    const CliRun run = Prepare({(folder / "fw.rev.hex").string()});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Err;
    EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"fw.rev.BIN", "fw.rev.VXF", "fw.rev.hex"}));
}

TEST(PrepareCommandNames, AChosenBinFileIsReadNotAnotherThatDiffersOnlyInCase) {
    TempFolder folder;
    WriteFile(folder / "FW.BIN", std::string(image::kChunkSize, '\x11'));      // an old image
    WriteFile(folder / "fw.bin", std::string(2 * image::kChunkSize, '\x22'));  // the one chosen
    const CliRun run = Prepare({(folder / "fw.bin").string()});
    EXPECT_EQ(run.Status, kExitSuccess) << run.Err;
    EXPECT_NE(run.Out.find("Binary image: " + (folder / "fw.bin").string() + "\n"), std::string::npos)
        << run.Out;
    EXPECT_NE(run.Out.find("Blocks: 2\n"), std::string::npos) << run.Out;
    const auto vxf = ReadFile(folder / "fw.VXF");
    ASSERT_EQ(vxf.size(), 2 * image::kBlockSize + image::kChecksumDigits);
    EXPECT_EQ(vxf[image::kBlockAddressDigits], 0x22);
}

TEST(PrepareCommandReadyImages, ADamagedUploadImageIsRefusedNamingTheBlock) {
    TempFolder folder;
    MakeUploadImage(folder, "fw.vxf", 3);
    auto vxf = ReadFile(folder / "fw.vxf");
    vxf[image::kBlockSize + image::kBlockAddressDigits + 7] ^= 0x01;  // one bit of block 2
    WriteFile(folder / "fw.vxf", vxf);
    const CliRun run = Prepare({(folder / "fw.vxf").string()});
    EXPECT_EQ(run.Status, kExitFailure);
    EXPECT_EQ(run.Err.rfind("Cannot use " + (folder / "fw.vxf").string() +
                                ", block 2 (address 000400): the checksum byte is ",
                            0),
              0u)
        << run.Err;
    EXPECT_EQ(run.Out, "");
}

TEST(PrepareCommandReadyImages, ACutUploadImageIsRefused) {
    TempFolder folder;
    MakeUploadImage(folder, "fw.vxf", 3);
    auto vxf = ReadFile(folder / "fw.vxf");
    vxf.resize(image::kBlockSize + image::kBlockSize / 2);
    WriteFile(folder / "fw.vxf", vxf);
    const CliRun run = Prepare({(folder / "fw.vxf").string()});
    EXPECT_EQ(run.Status, kExitFailure);
    EXPECT_EQ(run.Err,
              "Cannot use " + (folder / "fw.vxf").string() +
                  ": its 1546 bytes are not whole blocks of 1031 bytes and the 4-byte trailer, so the "
                  "file is cut short or damaged\n");
}

TEST(PrepareCommandNoData, AFileWithoutDataForTheFlashIsRefusedAndReplacesNothing) {
    TempFolder folder;
    WriteFile(folder / "end.hex", HexText({std::string(EndOfFileRecord)}));
    WriteFile(folder / "erased.bin", std::string(image::kModemFlash.Bytes(), '\xFF'));
    WriteFile(folder / "empty.vxf", "0000");
    const std::vector<std::string> cases{"end.hex", "erased.bin", "empty.vxf"};
    for (const std::string stem : {"end", "erased", "empty"}) {
        WriteFile(folder / (stem + ".VXF"), "old upload image");
    }
    for (const std::string& name : cases) {
        const CliRun run = Prepare({(folder / name).string()});
        EXPECT_EQ(run.Status, kExitFailure) << name;
        EXPECT_EQ(run.Err, (folder / name).string() + " holds no data for the flash\n");
        EXPECT_EQ(run.Out, "");
    }
    EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"empty.VXF", "empty.vxf", "end.VXF",
                                                                "end.hex", "erased.VXF", "erased.bin"}));
    EXPECT_EQ(ReadFile(folder / "end.VXF").size(), std::string("old upload image").size());
}

class PrepareCommandFiles : public ::testing::Test {
  protected:
    PrepareCommandFiles() {
        image::testing::WritePreparedImages(folder_ / "fw.BIN", folder_ / "fw.VXF", 0x0D, image::kModemFlash);
        oldBinary_ = ReadFile(folder_ / "fw.BIN");
        oldImage_ = ReadFile(folder_ / "fw.VXF");
    }

    void ExpectOldFiles() {
        EXPECT_EQ(ReadFile(folder_ / "fw.BIN"), oldBinary_);
        EXPECT_EQ(ReadFile(folder_ / "fw.VXF"), oldImage_);
    }

    TempFolder folder_;
    std::vector<std::uint8_t> oldBinary_;
    std::vector<std::uint8_t> oldImage_;
};

TEST_F(PrepareCommandFiles, AFailedConversionLeavesTheFilesAsTheyWere) {
    WriteFile(folder_ / "fw.hex", HexText({HexRecord(0, 0, {1}), ":0X"}));
    EXPECT_EQ(Prepare({(folder_ / "fw.hex").string()}).Status, kExitFailure);
    ExpectOldFiles();
    EXPECT_EQ(NamesIn(folder_.path()), (std::vector<std::string>{"fw.BIN", "fw.VXF", "fw.hex"}));
}

TEST_F(PrepareCommandFiles, AFullDiskLeavesNoPartOfTheNewFiles) {
    // 4096 blocks: an upload image larger than the 4 MiB a file may grow to here.
    WriteFile(folder_ / "fw.bin", std::string(image::kModemFlash.Bytes(), '\0'));
    const auto run = test_support::RunWithFileSizeLimit(image::kModemFlash.Bytes(), [&](std::string& report) {
        const CliRun prepared = Prepare({(folder_ / "fw.bin").string()});
        report = prepared.Err;
        return prepared.Status;
    });
    EXPECT_EQ(run.Status, kExitFailure);
    EXPECT_EQ(run.Report, "Cannot write " + (folder_ / "fw.VXF").string() + ": File too large\n");
    ExpectOldFiles();
    EXPECT_EQ(NamesIn(folder_.path()), (std::vector<std::string>{"fw.BIN", "fw.VXF", "fw.bin"}));
}

TEST_F(PrepareCommandFiles, APlantedLinkIsNeverWrittenThrough) {
    // A link to an earlier image is replaced by the new image; a link to anybody else's file is left alone.
    std::filesystem::create_directory(folder_ / "elsewhere");
    std::filesystem::rename(folder_ / "fw.VXF", folder_ / "elsewhere" / "old.VXF");
    std::filesystem::create_symlink(folder_ / "elsewhere" / "old.VXF", folder_ / "fw.VXF");
    WriteFile(folder_ / "fw.hex", OneByteHex());
    ASSERT_EQ(Prepare({(folder_ / "fw.hex").string()}).Status, kExitSuccess);
    EXPECT_EQ(ReadFile(folder_ / "elsewhere" / "old.VXF"), oldImage_);
    EXPECT_FALSE(std::filesystem::is_symlink(folder_ / "fw.VXF"));
    EXPECT_EQ(ReadFile(folder_ / "fw.VXF").size(), image::kBlockSize + image::kChecksumDigits);

    WriteFile(folder_ / "elsewhere" / "precious", "precious");
    std::filesystem::remove(folder_ / "fw.VXF");
    std::filesystem::create_symlink(folder_ / "elsewhere" / "precious", folder_ / "fw.VXF");
    const CliRun refused = Prepare({(folder_ / "fw.hex").string()});
    EXPECT_EQ(refused.Status, kExitFailure);
    EXPECT_EQ(refused.Err,
              (folder_ / "fw.VXF").string() + " is not a prepared image: move it or choose it\n");
    EXPECT_EQ(ReadFile(folder_ / "elsewhere" / "precious"),
              (std::vector<std::uint8_t>{'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'}));
    EXPECT_TRUE(std::filesystem::is_symlink(folder_ / "fw.VXF"));
}

TEST_F(PrepareCommandFiles, AReplacedFileKeepsItsModeAndANewOneGetsTheUsualMode) {
    const mode_t previousMask = ::umask(022);
    std::filesystem::permissions(folder_ / "fw.VXF", static_cast<std::filesystem::perms>(0640));
    std::filesystem::remove(folder_ / "fw.BIN");
    WriteFile(folder_ / "fw.hex", OneByteHex());
    const CliRun run = Prepare({(folder_ / "fw.hex").string()});
    ::umask(previousMask);
    ASSERT_EQ(run.Status, kExitSuccess) << run.Err;
    EXPECT_EQ(std::filesystem::status(folder_ / "fw.VXF").permissions(),
              static_cast<std::filesystem::perms>(0640));
    EXPECT_EQ(std::filesystem::status(folder_ / "fw.BIN").permissions(),
              static_cast<std::filesystem::perms>(0644));
}

TEST(PrepareCommandInputs, WhatIsNotARegularFileIsRefusedAtOnce) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe.hex").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder / "zero.hex");
    std::filesystem::create_directory(folder / "folder.hex");
    const std::pair<std::string, std::string> cases[] = {
        {(folder / "pipe.hex").string(), "Is a named pipe, not a regular file"},
        {(folder / "zero.hex").string(), "Is a device, not a regular file"},
        {"/dev/zero", "Is a device, not a regular file"},
        {(folder / "folder.hex").string(), "Is a directory"}};
    for (const auto& [name, reason] : cases) {
        const CliRun run = Prepare({name});
        EXPECT_EQ(run.Status, kExitFailure) << name;
        EXPECT_EQ(run.Err, "Cannot read " + name + ": " + reason + "\n");
    }
    EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"folder.hex", "pipe.hex", "zero.hex"}));
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
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{"--help"}, out, err), kExitSuccess);
    EXPECT_NE(out.str().find("prepare FILE"), std::string::npos);
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{}, out, err), kExitUsage);
    EXPECT_EQ(err.str().find("Usage:"), 0u);
    err.str("");
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{"frob"}, out, err), kExitUsage);
    EXPECT_EQ(err.str(), "Unknown command: frob. Try 'flash410-cli --help'.\n");
    err.str("");
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{"--frob"}, out, err), kExitUsage);
    EXPECT_EQ(err.str(), "Unknown option: --frob. Try 'flash410-cli --help'.\n");
}

TEST(CliCommands, SlashQuestionMarkGivesTheUsageOnWindowsOnly) {
    const std::vector<CliCommand> commands{PrepareCommand()};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{"/?"}, out, err, kWindowsConventions), kExitSuccess);
    EXPECT_NE(out.str().find("--help, /?\n"), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{"/?"}, out, err, kLinuxConventions), kExitUsage);
    EXPECT_EQ(err.str(), "Unknown command: /?. Try 'flash410-cli --help'.\n");
}

TEST(PrepareCommand, SlashQuestionMarkGivesTheHelpOnWindowsAndIsAFileNameOnLinux) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunPrepare(std::vector<std::string>{"/?"}, out, err, kWindowsConventions), kExitSuccess);
    EXPECT_NE(out.str().find("  --help, /?        Shows this text.\n"), std::string::npos) << out.str();
    std::ostringstream linuxOut;
    EXPECT_EQ(RunPrepare(std::vector<std::string>{"/?"}, linuxOut, err, kLinuxConventions), kExitFailure);
    EXPECT_EQ(linuxOut.str(), "");
    EXPECT_NE(err.str().find("/?"), std::string::npos) << err.str();  // the file is named in the failure
}

TEST(CliCommands, TheCommandsArgumentsAreItsOwnWhateverTheyAre) {
    std::vector<std::string> received;
    const std::vector<CliCommand> commands{
        {"check", "FILE", "Checks.",
         [&](std::span<const std::string> arguments, std::ostream&, std::ostream&) {
             received.assign(arguments.begin(), arguments.end());
             return 0;
         }}};
    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string> arguments{"check", "--version", "--help", "--", "help"};
    EXPECT_EQ(RunCli(commands, arguments, out, err), 0);
    EXPECT_EQ(received, (std::vector<std::string>{"--version", "--help", "--", "help"}));
    EXPECT_EQ(out.str(), "");
}

TEST(CliCommands, VersionNamesTheProgram) {
    const std::vector<CliCommand> commands{PrepareCommand()};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCli(commands, std::vector<std::string>{"--version"}, out, err), kExitSuccess);
    EXPECT_EQ(out.str(), "flash410-cli 2.5\n");
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace flash410::cli
