#include "window_model/help_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace flash410::window_model {
namespace {

using Kind = HelpParagraphKind;

const std::filesystem::path SomePath = "/opt/flash410/VNLflash.HLP";

std::vector<int> Contexts(const HelpFile& help) {
    std::vector<int> contexts;
    for (const HelpSection& section : help.Sections()) {
        contexts.push_back(section.context);
    }
    return contexts;
}

// ---- Topics and their text ----

TEST(HelpFileParse, FindsTopicsInFileOrderAndIgnoresThePreamble) {
    const HelpFile help = HelpFile::Parse(
        "Notes for the author, not shown.\n"
        "[topic 3] Opening the port\n"
        "Port text.\n"
        "[topic 1] Opening panel\n"
        "Opening text.\n",
        SomePath);

    ASSERT_TRUE(help.IsUsable()) << help.Problem();
    EXPECT_TRUE(help.Warnings().empty());
    EXPECT_EQ(Contexts(help), (std::vector<int>{3, 1}));
    ASSERT_NE(help.Find(1), nullptr);
    EXPECT_EQ(help.Find(1)->title, "Opening panel");
    EXPECT_EQ(help.Find(1)->PlainText(), "Opening text.");
    EXPECT_EQ(help.Find(3)->PlainText(), "Port text.");
    EXPECT_EQ(help.Find(4), nullptr);
}

TEST(HelpFileParse, JoinsParagraphLinesAndGroupsListItems) {
    const HelpFile help = HelpFile::Parse(
        "[topic 4] Run\n"
        "\n"
        "First line of a paragraph\n"
        "   and its second line.\n"
        "The list:\n"
        "- item one\n"
        "  continued\n"
        "- item two\n"
        "\n"
        "1. step one\n"
        "12. step twelve\n"
        "\t2016. is a year, not a step\n"
        "Text that is not indented ends the list\n"
        "and goes on.\n"
        "\n"
        "\n"
        "Last paragraph.   \n"
        "\n",
        SomePath);

    ASSERT_NE(help.Find(4), nullptr);
    const std::vector<HelpParagraph> expected = {
        {Kind::kText, "", "First line of a paragraph and its second line. The list:", false},
        {Kind::kBullet, "", "item one continued", true},
        {Kind::kBullet, "", "item two", true},
        {Kind::kNumbered, "1", "step one", false},
        {Kind::kNumbered, "12", "step twelve 2016. is a year, not a step", true},
        {Kind::kText, "", "Text that is not indented ends the list and goes on.", false},
        {Kind::kText, "", "Last paragraph.", false},
    };
    EXPECT_EQ(help.Find(4)->paragraphs, expected);
    EXPECT_EQ(help.Find(4)->PlainText(),
              "First line of a paragraph and its second line. The list:\n"
              "- item one continued\n"
              "- item two\n"
              "\n"
              "1. step one\n"
              "12. step twelve 2016. is a year, not a step\n"
              "\n"
              "Text that is not indented ends the list and goes on.\n"
              "\n"
              "Last paragraph.");
    // Other marks, as a text box without lists of its own shows the topic.
    EXPECT_EQ(help.Find(4)->PlainText({.LineEnd = "\r\n", .Bullet = "* ", .AfterNumber = ")  "}),
              "First line of a paragraph and its second line. The list:\r\n"
              "* item one continued\r\n"
              "* item two\r\n"
              "\r\n"
              "1)  step one\r\n"
              "12)  step twelve 2016. is a year, not a step\r\n"
              "\r\n"
              "Text that is not indented ends the list and goes on.\r\n"
              "\r\n"
              "Last paragraph.");
}

TEST(HelpFileParse, WindowsLineEndsAndByteOrderMarkReadAsPlainLines) {
    const std::string unix = "[topic 1] Title\nline one\nline two\n\n- item\n[topic 5] End\ndone\n";
    std::string windows = "\xEF\xBB\xBF";
    for (const char c : unix) {
        windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }

    const HelpFile fromUnix = HelpFile::Parse(unix, SomePath);
    const HelpFile fromWindows = HelpFile::Parse(windows, SomePath);

    ASSERT_EQ(Contexts(fromWindows), (std::vector<int>{1, 5}));
    for (const int context : {1, 5}) {
        EXPECT_EQ(fromWindows.Find(context)->title, fromUnix.Find(context)->title);
        EXPECT_EQ(fromWindows.Find(context)->paragraphs, fromUnix.Find(context)->paragraphs);
    }
    EXPECT_EQ(fromWindows.Find(1)->PlainText(), "line one line two\n\n- item");
}

TEST(HelpFileParse, TopicLinesIgnoreCaseAndBlanksAndNameUntitledTopics) {
    const HelpFile help = HelpFile::Parse("  [TOPIC  7 ]  \n[Topic 8]Tight title\nx\n", SomePath);

    ASSERT_EQ(Contexts(help), (std::vector<int>{7, 8}));
    EXPECT_EQ(help.Find(7)->title, "Topic 7");
    EXPECT_TRUE(help.Find(7)->paragraphs.empty());
    EXPECT_EQ(help.Find(8)->title, "Tight title");
}

TEST(HelpFileParse, OtherBracketedLinesAreBodyText) {
    const HelpFile help = HelpFile::Parse("[topic 1] T\n[note] keep this\n[top 2] and this\n", SomePath);

    ASSERT_EQ(Contexts(help), (std::vector<int>{1}));
    EXPECT_EQ(help.Find(1)->PlainText(), "[note] keep this [top 2] and this");
}

TEST(HelpFileParse, MessageForNamesTheMissingTopicAndTheFile) {
    const HelpFile help = HelpFile::Parse("[topic 1] T\ntext\n", SomePath);

    EXPECT_EQ(help.MessageFor(1), "");
    EXPECT_EQ(help.MessageFor(4), "The help file /opt/flash410/VNLflash.HLP has no topic 4.");
    EXPECT_EQ(help.MessageFor(-3), "The help file /opt/flash410/VNLflash.HLP has no topic -3.");
}

TEST(HelpFileParse, AFileWithoutTopicsIsNotUsable) {
    for (const char* text : {"", "\n\n", "just some words\n[topic 0] bad\n"}) {
        const HelpFile help = HelpFile::Parse(text, SomePath);
        EXPECT_FALSE(help.IsUsable()) << text;
        EXPECT_EQ(help.Problem(), "The help file /opt/flash410/VNLflash.HLP holds no topics.");
        EXPECT_EQ(help.MessageFor(1), help.Problem());
        EXPECT_TRUE(help.Sections().empty());
    }
}

TEST(HelpFileParse, TextWithNulBytesIsRejected) {
    const HelpFile help = HelpFile::Parse(std::string("[topic 1] T\nab\0cd\n", 16), SomePath);

    EXPECT_FALSE(help.IsUsable());
    EXPECT_EQ(help.Problem(), "The help file /opt/flash410/VNLflash.HLP is not a text file.");
    EXPECT_TRUE(help.Sections().empty());
}

// ---- Malformed topic lines ----

struct MalformedCase {
    const char* name;
    const char* line;
    const char* fault;
};

class MalformedTopicLine : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedTopicLine, IsReportedAndItsSectionSkippedWithoutHarmingItsNeighbours) {
    const std::string text = std::string("[topic 1] Before\nkept\n") + GetParam().line +
                             "\nlost line\n- lost item\n[topic 3] After\nalso kept\n";

    const HelpFile help = HelpFile::Parse(text, SomePath);

    ASSERT_TRUE(help.IsUsable());
    EXPECT_EQ(Contexts(help), (std::vector<int>{1, 3}));
    EXPECT_EQ(help.Find(1)->PlainText(), "kept");
    EXPECT_EQ(help.Find(3)->PlainText(), "also kept");
    ASSERT_EQ(help.Warnings().size(), 1U);
    const std::string& warning = help.Warnings().front();
    EXPECT_TRUE(warning.starts_with("VNLflash.HLP line 3: ")) << warning;
    EXPECT_NE(warning.find(GetParam().fault), std::string::npos) << warning;
    EXPECT_NE(warning.find("skipped"), std::string::npos) << warning;
}

INSTANTIATE_TEST_SUITE_P(
    HelpFileParse, MalformedTopicLine,
    testing::Values(
        MalformedCase{"NoClosingBracket", "[topic 2 No bracket", "no closing ']'"},
        MalformedCase{"NoNumber", "[topic] Title", "no topic number"},
        MalformedCase{"Word", "[topic two] Title", "\"two\" is not a topic number"},
        MalformedCase{"TrailingLetter", "[topic 2x] Title", "\"2x\" is not a topic number"},
        MalformedCase{"Negative", "[topic -2] Title", "\"-2\" is not a topic number"},
        MalformedCase{"Signed", "[topic +2] Title", "\"+2\" is not a topic number"},
        MalformedCase{"Zero", "[topic 0] Title", "run from 1 to 2147483647"},
        MalformedCase{"JustTooLarge", "[topic 2147483648] Title", "run from 1 to 2147483647"},
        MalformedCase{"FarTooLarge", "[topic 99999999999999999999999] Title", "run from 1 to 2147483647"},
        MalformedCase{"Duplicate", "[topic 1] Again", "topic 1 appears twice; the first is kept"}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(HelpFileParse, LargestTopicNumberIsAccepted) {
    const HelpFile help = HelpFile::Parse("[topic 2147483647] Last\n", SomePath);
    ASSERT_EQ(Contexts(help), (std::vector<int>{2147483647}));
}

TEST(HelpFileParse, WarningsQuoteOnlyTheStartOfALongLine) {
    const std::string longLine = "[topic 5 " + std::string(5000, 'x');
    const HelpFile help = HelpFile::Parse("[topic 1] T\n" + longLine + "\n", SomePath);

    ASSERT_EQ(help.Warnings().size(), 1U);
    EXPECT_LT(help.Warnings().front().size(), 200U);
    EXPECT_NE(help.Warnings().front().find("\"[topic 5 xxx"), std::string::npos);
}

// ---- Reading the file ----

TEST(HelpFileLoad, ReadsTheFileAsParseWould) {
    const test_support::TempFolder folder("help");
    const std::string text = "[topic 1] One\nA paragraph.\n\n- an item\n[topic 4] Four\nMore.\n";
    const auto path = folder.Write("VNLflash.HLP", text);

    const HelpFile loaded = HelpFile::Load(path);
    const HelpFile parsed = HelpFile::Parse(text, path);

    ASSERT_TRUE(loaded.IsUsable()) << loaded.Problem();
    EXPECT_EQ(loaded.path(), path);
    ASSERT_EQ(Contexts(loaded), Contexts(parsed));
    for (const int context : Contexts(parsed)) {
        EXPECT_EQ(loaded.Find(context)->paragraphs, parsed.Find(context)->paragraphs);
    }
}

TEST(HelpFileLoad, AMissingFileSaysWhereTheHelpBelongs) {
    const test_support::TempFolder folder("help");
    const auto path = folder.path() / "VNLflash.HLP";

    const HelpFile help = HelpFile::Load(path);

    EXPECT_FALSE(help.IsUsable());
    EXPECT_EQ(help.Problem(), "The help file " + path.string() +
                                  " was not found. It belongs beside the program: copy VNLflash.HLP into " +
                                  folder.path().string() + ".");
    EXPECT_EQ(help.MessageFor(3), help.Problem());
}

TEST(HelpFileLoad, AFolderInPlaceOfTheFileIsReported) {
    const test_support::TempFolder folder("help");
    const auto path = folder.path() / "VNLflash.HLP";
    std::filesystem::create_directory(path);

    const HelpFile help = HelpFile::Load(path);

    EXPECT_EQ(help.Problem(), "The help file " + path.string() + " is a folder, not a file.");
}

TEST(HelpFileLoad, AFileLargerThanTheLimitIsRefusedAndOneAtTheLimitIsRead) {
    const test_support::TempFolder folder("help");
    std::string text = "[topic 1] T\n";
    text.resize(kMaxHelpFileBytes, 'x');
    const auto atLimit = folder.Write("at-limit.HLP", text);
    const auto overLimit = folder.Write("over-limit.HLP", text + "x");

    EXPECT_TRUE(HelpFile::Load(atLimit).IsUsable()) << HelpFile::Load(atLimit).Problem();
    EXPECT_EQ(HelpFile::Load(overLimit).Problem(),
              "The help file " + overLimit + " is larger than 1 MiB, so it is not this program's help text.");
}

}  // namespace
}  // namespace flash410::window_model
