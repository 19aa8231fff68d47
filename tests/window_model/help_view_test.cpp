// What the help window shows of the help file: the topic asked for or picked and its row, why a topic
// cannot be shown, the file read again while it could not be used, and the note on lines it lost.
#include "window_model/help_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace flash410::window_model {
namespace {

using Rows = std::vector<HelpTopicRow>;

constexpr char kHelpText[] =
    "[topic 3] Opening the port\n"
    "Pick the port.\n"
    "[topic 1] Opening panel\n"
    "First words.\n"
    "\n"
    "- an item\n";

class HelpViewTest : public testing::Test {
  protected:
    test_support::TempFolder folder_{"help-view"};
    const std::filesystem::path path_ = folder_ / "VNLflash.HLP";
    HelpView view_{path_};
};

TEST_F(HelpViewTest, ShowsTheTopicAskedForOrPickedWithEveryTopicListedAndItsRowPicked) {
    folder_.Write("VNLflash.HLP", kHelpText);

    const HelpScreen& screen = view_.ShowTopic(1);

    EXPECT_EQ(screen.Topic.context, 1);
    EXPECT_EQ(screen.Topic.title, "Opening panel");
    EXPECT_EQ(screen.Topic.paragraphs, HelpFile::Load(path_).Find(1)->paragraphs);
    EXPECT_EQ(screen.Rows, (Rows{{3, "Opening the port"}, {1, "Opening panel"}}));
    EXPECT_EQ(screen.SelectedRow, 1U);
    EXPECT_EQ(screen.Notes, "");
    EXPECT_EQ(screen.AllNotes, "");

    EXPECT_EQ(view_.PickRow(0).Topic.title, "Opening the port");
    EXPECT_EQ(screen.Topic.context, 3);
    EXPECT_EQ(screen.SelectedRow, 0U);
    // A row the list does not have changes nothing.
    view_.PickRow(2);
    EXPECT_EQ(screen.Topic.context, 3);
}

TEST_F(HelpViewTest, ATopicTheFileDoesNotHaveShowsWhyWithNoRowPicked) {
    folder_.Write("VNLflash.HLP", kHelpText);
    view_.ShowTopic(3);

    const HelpScreen& screen = view_.ShowTopic(7);

    EXPECT_EQ(screen.Topic.context, 0);
    EXPECT_EQ(screen.Topic.title, "Help is not available");
    EXPECT_EQ(
        screen.Topic.paragraphs,
        (std::vector<HelpParagraph>{{HelpParagraphKind::kText, "", HelpFile::Load(path_).MessageFor(7)}}));
    EXPECT_EQ(screen.Rows.size(), 2U);
    EXPECT_EQ(screen.SelectedRow, std::nullopt);
    // The list is there to move on.
    EXPECT_EQ(view_.PickRow(1).Topic.context, 1);
}

TEST_F(HelpViewTest, AFileThatCouldNotBeUsedIsReadAgainAndAUsableOneOnlyOnce) {
    // Nothing is read before the first showing, so there is nothing to pick.
    EXPECT_EQ(view_.PickRow(0).Topic.context, 0);
    EXPECT_TRUE(view_.screen().Topic.paragraphs.empty());

    const std::string missing = HelpFile::Load(path_).Problem();
    const HelpScreen& screen = view_.ShowTopic(1);
    EXPECT_EQ(screen.Topic.title, "Help is not available");
    ASSERT_EQ(screen.Topic.paragraphs.size(), 1U);
    EXPECT_EQ(screen.Topic.paragraphs.front().text, missing);
    EXPECT_TRUE(screen.Rows.empty());

    folder_.Write("VNLflash.HLP", "Only a preamble, no topics.\n");
    view_.ShowTopic(1);
    EXPECT_EQ(screen.Topic.paragraphs.front().text, HelpFile::Load(path_).Problem());
    EXPECT_NE(screen.Topic.paragraphs.front().text, missing);

    folder_.Write("VNLflash.HLP", kHelpText);
    EXPECT_EQ(view_.ShowTopic(1).Topic.title, "Opening panel");
    EXPECT_EQ(screen.Rows.size(), 2U);

    // Once usable, the file as read stays: a change made while the program runs is not seen.
    folder_.Write("VNLflash.HLP", "[topic 1] Changed\nOther words.\n");
    EXPECT_EQ(view_.ShowTopic(1).Topic.title, "Opening panel");
    EXPECT_EQ(screen.Rows.size(), 2U);
}

TEST_F(HelpViewTest, TheNotesNameTheFirstLineTheFileCouldNotUseAndAllOfThem) {
    folder_.Write("VNLflash.HLP", std::string(kHelpText) + "[topic x] Broken\n[topic 1] Again\n");

    const HelpScreen& screen = view_.ShowTopic(1);

    const std::vector<std::string> warnings = HelpFile::Load(path_).Warnings();
    ASSERT_EQ(warnings.size(), 2U);
    EXPECT_EQ(screen.Notes, "Some lines of the help file could not be used: " + warnings[0]);
    EXPECT_EQ(screen.AllNotes, warnings[0] + "\n" + warnings[1]);
    EXPECT_EQ(screen.Topic.title, "Opening panel");
}

}  // namespace
}  // namespace flash410::window_model
