#include "window/help_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QTextBrowser>
#include <memory>

#include "support/temp_folder.h"

namespace flash410::window {
namespace {

const std::filesystem::path ShippedHelp = FLASH410_SHIPPED_HELP_FILE;
const std::filesystem::path ScreenshotFolder = FLASH410_SCREENSHOT_FOLDER;

QString FromText(const std::string& text) {
    return QString::fromStdString(text);
}

class HelpWindowTest : public testing::Test {
  protected:
    // The window belongs to its parent, as it does in the program.
    std::unique_ptr<QWidget> parent_ = std::make_unique<QWidget>();

    HelpWindow* MakeWindow(const std::filesystem::path& helpFile) {
        return new HelpWindow(helpFile, parent_.get());
    }
    static QListWidget& TopicList(HelpWindow& window) {
        return *window.findChild<QListWidget*>(QStringLiteral("topicList"));
    }
    static QString CurrentListTitle(HelpWindow& window) {
        const QListWidgetItem* item = TopicList(window).currentItem();
        return item == nullptr ? QString() : item->text();
    }
    // Every paragraph of the topic (markers aside) and its title are on show.
    static void ExpectShowsTopic(HelpWindow& window, const window_model::HelpSection& section) {
        const QString shown = window.DisplayedText();
        EXPECT_TRUE(shown.startsWith(FromText(section.title) + "\n")) << shown.toStdString();
        for (const window_model::HelpParagraph& paragraph : section.paragraphs) {
            EXPECT_TRUE(shown.contains(FromText(paragraph.text))) << paragraph.text;
        }
        EXPECT_EQ(window.DisplayedContext(), section.context);
        EXPECT_EQ(CurrentListTitle(window), FromText(section.title));
    }
};

TEST_F(HelpWindowTest, ShowTopicShowsThatTopicInItsOwnWindow) {
    const window_model::HelpFile shipped = window_model::HelpFile::Load(ShippedHelp);
    ASSERT_NE(shipped.Find(4), nullptr);
    HelpWindow* window = MakeWindow(ShippedHelp);

    window->ShowTopic(4);

    ExpectShowsTopic(*window, *shipped.Find(4));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle(), "Varnel Flash Device Upload - Help");
    // Topic 4 holds a list: its items are shown with a marker, not with the file's "- ".
    EXPECT_FALSE(window->DisplayedText().contains("\n- "));
    ASSERT_EQ(TopicList(*window).count(), 4);
    EXPECT_EQ(TopicList(*window).item(0)->text(), FromText(shipped.Find(1)->title));

    const QString screenshot = QString::fromStdString((ScreenshotFolder / "help_window_topic4.png").string());
    ASSERT_TRUE(window->grab().save(screenshot));
}

TEST_F(HelpWindowTest, PickingATopicInTheListShowsIt) {
    const window_model::HelpFile shipped = window_model::HelpFile::Load(ShippedHelp);
    HelpWindow* window = MakeWindow(ShippedHelp);
    window->ShowTopic(1);

    TopicList(*window).setCurrentRow(3);  // the fourth topic: 5
    ExpectShowsTopic(*window, *shipped.Find(5));

    window->ShowTopic(3);
    ExpectShowsTopic(*window, *shipped.Find(3));
}

TEST_F(HelpWindowTest, AnUnknownTopicShowsWhyAndKeepsTheListToMoveOn) {
    HelpWindow* window = MakeWindow(ShippedHelp);

    window->ShowTopic(2);

    EXPECT_EQ(window->DisplayedContext(), 0);
    EXPECT_TRUE(
        window->DisplayedText().contains(FromText(window_model::HelpFile::Load(ShippedHelp).MessageFor(2))));
    EXPECT_EQ(TopicList(*window).count(), 4);
    EXPECT_EQ(TopicList(*window).currentRow(), -1);

    TopicList(*window).setCurrentRow(0);
    EXPECT_EQ(window->DisplayedContext(), 1);
}

TEST_F(HelpWindowTest, AMissingFileShowsTheMessageAndHelpCopiedInLaterIsFound) {
    const test_support::TempFolder folder("help");
    const auto path = folder.path() / "VNLflash.HLP";
    HelpWindow* window = MakeWindow(path);

    window->ShowTopic(1);

    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->DisplayedContext(), 0);
    EXPECT_TRUE(window->DisplayedText().contains(FromText(window_model::HelpFile::Load(path).Problem())))
        << window->DisplayedText().toStdString();
    EXPECT_EQ(TopicList(*window).count(), 0);
    ASSERT_TRUE(window->grab().save(
        QString::fromStdString((ScreenshotFolder / "help_window_missing_file.png").string())));

    folder.Write("VNLflash.HLP", "[topic 1] Opening\nNow here.\n");
    window->ShowTopic(1);

    EXPECT_EQ(window->DisplayedContext(), 1);
    EXPECT_TRUE(window->DisplayedText().contains("Now here."));
    EXPECT_EQ(TopicList(*window).count(), 1);
}

TEST_F(HelpWindowTest, LinesTheFileCouldNotUseAreNotedBelowTheTopic) {
    const test_support::TempFolder folder("help");
    const auto path = folder.Write("VNLflash.HLP", "[topic 1] One\ntext\n[topic x] Bad\n");
    HelpWindow* window = MakeWindow(path);

    window->ShowTopic(1);

    const auto* notes = window->findChild<QLabel*>(QStringLiteral("fileNotes"));
    ASSERT_NE(notes, nullptr);
    EXPECT_TRUE(notes->isVisibleTo(window));
    EXPECT_TRUE(notes->text().contains("line 3")) << notes->text().toStdString();
    EXPECT_EQ(window->DisplayedContext(), 1);
}

TEST_F(HelpWindowTest, TheParentOwnsTheWindow) {
    const QPointer<HelpWindow> window = MakeWindow(ShippedHelp);
    window->ShowTopic(5);
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(window->parentWidget(), parent_.get());

    parent_.reset();

    EXPECT_TRUE(window.isNull());
}

}  // namespace
}  // namespace flash410::window
