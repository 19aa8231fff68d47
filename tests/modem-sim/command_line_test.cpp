// The modem-sim program's options.
#include "program/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace modemsim {
namespace {

ParsedCommandLine Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}

TEST(CommandLineTest, WithoutOptionsTheModemIsWellBehaved) {
    const ParsedCommandLine parsed = Parse({});
    ASSERT_EQ(parsed.error, "");
    const ProgramOptions& options = parsed.options;
    EXPECT_FALSE(options.linkFolder);
    EXPECT_EQ(options.imagePath, "modem-sim-flash.bin");
    EXPECT_EQ(options.config.eraseDuration, std::chrono::seconds(2));
    EXPECT_EQ(options.config.pacing.baud, 0);
    EXPECT_FALSE(options.config.pacing.followPort);
    EXPECT_EQ(options.config.faults.readyOnRequest, 1);
    EXPECT_FALSE(options.config.faults.neverReady);
    EXPECT_FALSE(options.config.faults.failAfter);
    EXPECT_TRUE(options.config.faults.silences.empty());
    EXPECT_EQ(options.config.uploadLimit, 0);
    EXPECT_FALSE(options.config.endOnHangUp);
    EXPECT_EQ(options.config.replyDelay, std::chrono::milliseconds(0));
}

TEST(CommandLineTest, TakesEveryOptionTogether) {
    const ParsedCommandLine parsed = Parse({"--link",
                                            "/opt/flash410",
                                            "7",
                                            "--baud",
                                            "19200",
                                            "--uploads",
                                            "2",
                                            "--end-on-close",
                                            "--image",
                                            "out.bin",
                                            "--erase-seconds",
                                            "0.25",
                                            "--byte-timeout-ms",
                                            "300",
                                            "--reply-delay",
                                            "16",
                                            "--ready-after",
                                            "4",
                                            "--erase-errors",
                                            "3",
                                            "--corrupt-every",
                                            "5",
                                            "--short-forms",
                                            "--unknown-reply-after",
                                            "6",
                                            "--fail-after",
                                            "0",
                                            "--silence",
                                            "block:12:1.5",
                                            "--silence",
                                            "thank-you:2",
                                            "--split-replies",
                                            "3",
                                            "--noise",
                                            "9",
                                            "--drop-request-after",
                                            "4",
                                            "--double-request-after",
                                            "0",
                                            "--verbose"});
    ASSERT_EQ(parsed.error, "");
    const ProgramOptions& o = parsed.options;
    EXPECT_EQ(o.linkFolder, std::filesystem::path("/opt/flash410"));
    EXPECT_EQ(o.linkPort, 7);
    EXPECT_EQ(o.config.pacing.baud, 19200);
    EXPECT_EQ(o.config.uploadLimit, 2);
    EXPECT_TRUE(o.config.endOnHangUp);
    EXPECT_EQ(o.imagePath, "out.bin");
    EXPECT_EQ(o.config.eraseDuration, std::chrono::milliseconds(250));
    EXPECT_EQ(o.config.blockByteTimeout, std::chrono::milliseconds(300));
    EXPECT_EQ(o.config.replyDelay, std::chrono::milliseconds(16));
    EXPECT_EQ(o.config.faults.readyOnRequest, 4);
    EXPECT_EQ(o.config.faults.eraseErrors, 3);
    EXPECT_EQ(o.config.faults.corruptEvery, 5);
    EXPECT_TRUE(o.config.faults.shortForms);
    EXPECT_EQ(o.config.faults.unknownReplyAfter, 6);
    EXPECT_EQ(o.config.faults.failAfter, 0);
    ASSERT_EQ(o.config.faults.silences.size(), 2u);
    EXPECT_EQ(o.config.faults.silences[0].point, SilencePoint::kBeforeBlockRequest);
    EXPECT_EQ(o.config.faults.silences[0].afterBlocks, 12);
    EXPECT_EQ(o.config.faults.silences[0].duration, std::chrono::milliseconds(1500));
    EXPECT_EQ(o.config.faults.silences[1].point, SilencePoint::kBeforeThankYou);
    EXPECT_EQ(o.config.faults.silences[1].duration, std::chrono::seconds(2));
    EXPECT_EQ(o.config.faults.splitReplies, 3);
    EXPECT_EQ(o.config.faults.noiseBytes, 9);
    EXPECT_EQ(o.config.faults.dropRequestAfter, 4);
    EXPECT_EQ(o.config.faults.doubleRequestAfter, 0);
    EXPECT_TRUE(o.verbose);
}

TEST(CommandLineTest, SmallerOptions) {
    EXPECT_TRUE(Parse({"--baud", "port"}).options.config.pacing.followPort);
    EXPECT_FALSE(Parse({"--no-image"}).options.imagePath);
    EXPECT_TRUE(Parse({"--never-ready"}).options.config.faults.neverReady);
    EXPECT_TRUE(Parse({"--help"}).options.help);
    EXPECT_TRUE(Parse({"--version"}).options.version);
    EXPECT_FALSE(Parse({}).options.version);
    EXPECT_EQ(Parse({"--make-sample", "fw.hex"}).options.sampleFile, "fw.hex");
    for (const auto& [name, point] : {std::pair{"ready", SilencePoint::kBeforeReady},
                                      {"erasing", SilencePoint::kBeforeErasing},
                                      {"erase-complete", SilencePoint::kBeforeEraseComplete}}) {
        const auto parsed = Parse({"--silence", std::string(name) + ":1"});
        ASSERT_EQ(parsed.error, "") << name;
        EXPECT_EQ(parsed.options.config.faults.silences.at(0).point, point) << name;
    }
}

TEST(CommandLineTest, BadCommandLinesAreRefusedWithAClearMessage) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--frobnicate"}, "unknown option \"--frobnicate\""},
        {{"--link", "/opt/x"}, "--link needs 2 values"},
        {{"--uploads"}, "--uploads needs 1 value"},
        {{"--link", "/opt/x", "20"}, "1 to 19"},
        {{"--link", "/opt/x", "one"}, "1 to 19"},
        {{"--baud", "fast"}, "baud rate"},
        {{"--baud", "-9600"}, "baud rate"},
        {{"--ready-after", "0"}, "--ready-after"},
        {{"--corrupt-every", "2x"}, "--corrupt-every"},
        {{"--unknown-reply-after", "0"}, "--unknown-reply-after"},
        {{"--fail-after", "-1"}, "--fail-after"},
        {{"--erase-seconds", "-1"}, "--erase-seconds"},
        {{"--erase-seconds", "nan"}, "--erase-seconds"},
        {{"--silence", "nowhere:1"}, "--silence"},
        {{"--silence", "block:2"}, "--silence"},
        {{"--silence", "block:x:1"}, "--silence"},
        {{"--silence", "ready:"}, "--silence"},
        {{"--noise", "99999999999"}, "--noise"},
        {{"--reply-delay", "-1"}, "--reply-delay"},
    };
    for (const auto& [args, expected] : cases) {
        const ParsedCommandLine parsed = Parse(args);
        EXPECT_NE(parsed.error.find(expected), std::string::npos)
            << ::testing::PrintToString(args) << " gave \"" << parsed.error << "\"";
    }
}

TEST(CommandLineTest, OnlySilencesMayBeRepeated) {
    EXPECT_EQ(Parse({"--silence", "ready:1", "--silence=thank-you:2"}).options.config.faults.silences.size(),
              2u);
    EXPECT_EQ(Parse({"--uploads", "1", "--uploads", "2"}).error, "--uploads is given twice");
    EXPECT_EQ(Parse({"--link", "a", "1", "--link", "b", "2"}).error, "--link is given twice");
    EXPECT_NE(Parse({"--image", "out.bin", "--no-image"}).error, "");
}

TEST(CommandLineTest, HelpNamesEveryGroupAndOptionWithItsValues) {
    const std::string help = HelpText();
    EXPECT_EQ(help.rfind("Usage: modem-sim [OPTION]...\n", 0), 0u) << help;
    for (const char* line :
         {"\nLine:\n  --link FOLDER N         make the modem COM port N (1-19)",
          "\n                          link ports/comN names", "\nEnding and output:\n  --uploads N ",
          "\nFaults (any may be combined):\n  --ready-after K ", "  --silence POINT:S       keep silent",
          "\nOther:\n  --make-sample FILE      write", "  --help                  show this text and end\n",
          "  --version               print"}) {
        EXPECT_NE(help.find(line), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace modemsim
