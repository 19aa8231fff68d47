// The Windows help window, read back through the window API: the topic asked for and its text, the topic
// list moving between topics, a missing file's words and help copied in later, and closing only hiding it.
#include "win32_window/help_window.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "window_test_support.h"

namespace flash410::win32_window {
namespace {

using Id = HelpControl;

constexpr char kHelpText[] =
    "Written for the tests.\n"
    "[topic 1] Opening the port\n"
    "Pick the port the modem is on.\n"
    "\n"
    "- Check the cable.\n"
    "- Check the baud rate.\n"
    "[topic 2] Choisir le fichier\n"
    "Prenez l'image: прошивка.\n";

class HelpWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { FLASH410_SKIP_WITHOUT_WINDOWS(WindowsCanBeMade()); }
    HelpWindow& Open() {
        window_.emplace(nullptr, folder_ / "VNLflash.HLP");
        return *window_;
    }
    HWND Control(Id id) const { return GetDlgItem(window_->hwnd(), static_cast<int>(id)); }
    std::string Title() const { return WindowText(Control(Id::kTopicTitle)); }
    std::string Text() const { return WindowText(Control(Id::kTopicText)); }
    LRESULT ListRow() const { return SendMessageW(Control(Id::kTopicList), LB_GETCURSEL, 0, 0); }

    test_support::TempFolder folder_{"win32-help"};
    std::optional<HelpWindow> window_;
};

TEST_F(HelpWindowTest, ShowsTheTopicAskedForAndMovesBetweenTopicsByItsList) {
    folder_.Write("VNLflash.HLP", kHelpText);
    HelpWindow& help = Open();
    help.ShowTopic(2);
    EXPECT_TRUE(IsWindowVisible(help.hwnd()));
    EXPECT_EQ(WindowText(help.hwnd()), "Varnel Flash Device Upload - Help");
    EXPECT_EQ(ListBoxRows(Control(Id::kTopicList)),
              (std::vector<std::string>{"Opening the port", "Choisir le fichier"}));
    EXPECT_EQ(help.DisplayedContext(), 2);
    EXPECT_EQ(ListRow(), 1);
    EXPECT_EQ(Title(), "Choisir le fichier");
    EXPECT_EQ(Text(), "Prenez l'image: прошивка.");

    // The operator's pick in the list shows that topic, its items on lines of their own.
    SendMessageW(Control(Id::kTopicList), LB_SETCURSEL, 0, 0);
    SendMessageW(help.hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<int>(Id::kTopicList), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Control(Id::kTopicList)));
    EXPECT_EQ(help.DisplayedContext(), 1);
    EXPECT_EQ(Title(), "Opening the port");
    EXPECT_EQ(
        Text(),
        "Pick the port the modem is on.\r\n\r\n\u2022  Check the cable.\r\n\u2022  Check the baud rate.");

    // A topic the file does not have says so, and leaves the list to move on.
    help.ShowTopic(7);
    EXPECT_EQ(help.DisplayedContext(), 0);
    EXPECT_EQ(Title(), "Help is not available");
    EXPECT_NE(Text().find('7'), std::string::npos) << Text();
    EXPECT_EQ(ListRow(), LB_ERR);

    // Closing hides it; the next Help shows it again.
    SendMessageW(help.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(help.hwnd()));
    EXPECT_FALSE(IsWindowVisible(help.hwnd()));
    SendMessageW(Control(Id::kCloseButton), BM_CLICK, 0, 0);
    help.ShowTopic(1);
    EXPECT_TRUE(IsWindowVisible(help.hwnd()));
}

TEST_F(HelpWindowTest, AMissingFileIsNamedWithWhereItBelongsAndHelpCopiedInLaterIsFound) {
    HelpWindow& help = Open();
    help.ShowTopic(1);
    EXPECT_EQ(help.DisplayedContext(), 0);
    EXPECT_EQ(Title(), "Help is not available");
    EXPECT_NE(Text().find("VNLflash.HLP was not found. It belongs beside the program"), std::string::npos)
        << Text();
    EXPECT_EQ(SendMessageW(Control(Id::kTopicList), LB_GETCOUNT, 0, 0), 0);

    folder_.Write("VNLflash.HLP", kHelpText);
    help.ShowTopic(1);
    EXPECT_EQ(help.DisplayedContext(), 1);
    EXPECT_EQ(Title(), "Opening the port");
}

TEST_F(HelpWindowTest, LinesTheFileCouldNotUseAreNotedBelowTheTopic) {
    folder_.Write("VNLflash.HLP", std::string(kHelpText) + "[topic x] Broken\n");
    HelpWindow& help = Open();
    help.ShowTopic(1);
    const HWND notes = Control(Id::kFileNotes);
    EXPECT_TRUE(IsWindowVisible(notes));
    EXPECT_NE(WindowText(notes).find("line 9"), std::string::npos) << WindowText(notes);
}

}  // namespace
}  // namespace flash410::win32_window
