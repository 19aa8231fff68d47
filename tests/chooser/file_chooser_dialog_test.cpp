// The chooser dialog as the operator works it, offscreen: each showing is scripted through the test
// hook, and the controls are clicked and typed into through Qt's test events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "chooser/file_chooser_dialog.h"
#include "support/current_directory_keeper.h"
#include "support/temp_folder.h"

namespace flash410::chooser {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr char kMainWindowFilter[] =
    "Varnel Upload (.vxf)|*.vxf|Binary (.bin)|*.bin|Intel HEX (.h86)|*.h86|Intel HEX (.mcs)|*.mcs|"
    "Intel HEX (.hex)|*.hex|";
constexpr int kHexType = 4;

Names Texts(const QListWidget* list) {
    Names texts;
    for (int row = 0; row < list->count(); ++row) {
        texts.push_back(list->item(row)->text().toStdString());
    }
    return texts;
}

Names Texts(const QComboBox* box) {
    Names texts;
    for (int index = 0; index < box->count(); ++index) {
        texts.push_back(box->itemText(index).toStdString());
    }
    return texts;
}

QPoint ItemCentre(QListWidget* list, const std::string& text) {
    const QList<QListWidgetItem*> found = list->findItems(QString::fromStdString(text), Qt::MatchExactly);
    if (found.isEmpty()) {
        ADD_FAILURE() << "no item " << text << " in the list";
        return {-1, -1};
    }
    list->scrollToItem(found.front());
    return list->visualItemRect(found.front()).center();
}

void Click(QListWidget* list, const std::string& text) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, ItemCentre(list, text));
}

// The events a real double click delivers: press, release, press, double click, release.
void DoubleClick(QListWidget* list, const std::string& text) {
    const QPoint centre = ItemCentre(list, text);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre);
}

// Replaces the box's text as the operator does: select all, then type (or delete).
void Type(QLineEdit* box, const std::string& text) {
    box->selectAll();
    if (text.empty()) {
        QTest::keyClick(box, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(box, QString::fromStdString(text));
    }
}

void PickDrive(FileChooserDialog& form, const std::string& drive) {
    const int index = form.DriveBox->findText(QString::fromStdString(drive));
    ASSERT_GE(index, 0) << "no drive " << drive;
    form.DriveBox->setCurrentIndex(index);
}

std::string CurrentDirectory() {
    return fs::current_path().string();
}

class ChooserDialog : public ::testing::Test {
  protected:
    ChooserDialog() : home_(root_.Folder("Home")) {
        for (const char* file : {"Home/fw.vxf", "Home/OLD.VXF", "Home/fw.bin", "Home/fw.hex",
                                 "Home/notes.txt", "Home/.hidden.vxf", "Home/Fw/old.h86",
                                 "Home/Fw/New/new.hex", "Home/Fw/New/readme.txt", "Elsewhere/far.hex"}) {
            root_.Write(file, "firmware");
        }
    }

    FileChooserDialog& Form() {
        if (!form_) {
            form_ = NewForm();
        }
        return *form_;
    }
    std::unique_ptr<FileChooserDialog> NewForm() {
        return std::make_unique<FileChooserDialog>(
            home_, [this](QWidget*, const QString& text) { messages_.push_back(text.toStdString()); });
    }
    // One showing of the dialog with the operator's actions; its result.
    bool Show(std::function<void(FileChooserDialog&)> actions) {
        Form().ScriptNextShowing(std::move(actions));
        return Form().ShowModal();
    }
    std::string Memory() const { return root_.Read("Home/VNLflash.set"); }
    bool MemoryWritten() const { return fs::exists(root_ / "Home/VNLflash.set"); }

    test_support::TempFolder root_{"chooser"};
    test_support::CurrentDirectoryKeeper keeper_;
    std::string home_;
    std::vector<std::string> messages_;
    std::unique_ptr<FileChooserDialog> form_;
};

TEST_F(ChooserDialog, IsLaidOutAsDesigned) {
    FileChooserDialog& form = Form();
    EXPECT_EQ(form.windowTitle().toStdString(), "Select a File Name");
    EXPECT_EQ(form.size(), QSize(488, 364));
    EXPECT_EQ(form.pos(), QPoint(147, 103));
    EXPECT_EQ(form.font().family().toStdString(), "Arial");
    EXPECT_EQ(form.font().pixelSize(), 13);
    EXPECT_EQ(form.ContentsBox->geometry(), QRect(35, 7, 422, 305));

    const std::vector<std::pair<QWidget*, QRect>> inGroupBox = {
        {form.FileNameBox, {32, 48, 145, 24}},  {form.FileList, {32, 96, 145, 113}},
        {form.FolderList, {224, 96, 145, 113}}, {form.FolderHint, {211, 212, 178, 14}},
        {form.FileTypeBox, {20, 256, 169, 24}}, {form.DriveBox, {211, 256, 198, 22}}};
    for (const auto& [control, geometry] : inGroupBox) {
        SCOPED_TRACE(control->metaObject()->className());
        EXPECT_EQ(control->parentWidget(), form.ContentsBox);
        EXPECT_EQ(control->geometry(), geometry);
    }
    const std::vector<std::tuple<QLabel*, QPoint, const char*>> labels = {
        {form.FileNameLabel, {32, 24}, "File Name:"},
        {form.FoldersLabel, {224, 40}, "Directories:"},
        {form.FileTypeLabel, {20, 232}, "File Type:"},
        {form.DriveLabel, {211, 232}, "Drive:"},
        {form.CurrentFolderLabel, {224, 64}, nullptr}};
    for (const auto& [label, place, text] : labels) {
        EXPECT_EQ(label->pos(), place);
        if (text != nullptr) {
            EXPECT_EQ(label->text().toStdString(), text);
        }
    }
    EXPECT_EQ(form.FolderHint->text().toStdString(), "Double click to change directory");
    EXPECT_EQ(form.FolderHint->font().pixelSize(), 12);
    EXPECT_EQ(form.FolderHint->palette().color(QPalette::WindowText), QColor(Qt::black));

    EXPECT_EQ(form.OkButton->parentWidget(), &form);
    EXPECT_EQ(form.OkButton->geometry(), QRect(123, 322, 89, 33));
    EXPECT_EQ(form.CancelButton->geometry(), QRect(250, 322, 89, 33));
}

TEST_F(ChooserDialog, FirstStartOpensInHomeWithOkHiddenAndAllFiles) {
    FileChooserDialog& form = Form();
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(form.DataFilesDir(), home_);
    EXPECT_EQ(form.CurrentFolder(), home_);
    EXPECT_EQ(CurrentDirectory(), home_);
    EXPECT_EQ(form.CurrentFolderLabel->toolTip().toStdString(), home_);
    EXPECT_TRUE(form.OkButton->isHidden());
    EXPECT_EQ(Texts(form.FileTypeBox), Names{"All files (*.*)"});
    EXPECT_EQ(form.FileNameBox->text().toStdString(), "*.*");
    EXPECT_EQ(Texts(form.FileList), (Names{"fw.bin", "fw.hex", "fw.vxf", "notes.txt", "OLD.VXF"}));
    EXPECT_EQ(Texts(form.FolderList), (Names{"..", "Fw"}));
    EXPECT_THAT(Texts(form.DriveBox), AllOf(Contains("/"), Contains(home_)));
    EXPECT_EQ(form.DriveBox->currentText().toStdString(), home_);
}

TEST_F(ChooserDialog, TheMainWindowsFilterSelectsItsFirstTypeAndKeepsTheOperatorsChoice) {
    Form().SetFilter(kMainWindowFilter);
    EXPECT_EQ(Texts(Form().FileTypeBox), (Names{"Varnel Upload (.vxf)", "Binary (.bin)", "Intel HEX (.h86)",
                                                "Intel HEX (.mcs)", "Intel HEX (.hex)"}));
    EXPECT_EQ(Form().FileTypeBox->currentIndex(), 0);
    EXPECT_EQ(Form().FileNameBox->text().toStdString(), "*.vxf");
    EXPECT_EQ(Texts(Form().FileList), (Names{"fw.vxf", "OLD.VXF"}));

    Show([](FileChooserDialog& form) {
        form.FileTypeBox->setCurrentIndex(kHexType);
        form.CancelButton->click();
    });
    Form().SetFilter(kMainWindowFilter);
    EXPECT_EQ(Form().FileTypeBox->currentIndex(), kHexType);
    EXPECT_EQ(Texts(Form().FileList), Names{"fw.hex"});
    EXPECT_EQ(Form().FileNameBox->text().toStdString(), "*.hex");

    // Another text is a new list: its first type again.
    Form().SetFilter("Binary (.bin)|*.bin|Varnel Upload (.vxf)|*.vxf|");
    EXPECT_EQ(Form().FileTypeBox->currentIndex(), 0);
    EXPECT_EQ(Texts(Form().FileList), Names{"fw.bin"});
}

TEST_F(ChooserDialog, OkFollowsTheNameBox) {
    Form().SetFilter(kMainWindowFilter);
    Show([](FileChooserDialog& form) {
        // A mask typed at first leaves OK hidden, and Enter presses OK only while it is shown.
        Type(form.FileNameBox, "*.bin");
        EXPECT_FALSE(form.OkButton->isVisible());
        QTest::keyClick(form.FileNameBox, Qt::Key_Return);
        EXPECT_TRUE(form.isVisible());

        Click(form.FileList, "OLD.VXF");
        EXPECT_EQ(form.FileNameBox->text().toStdString(), "OLD.VXF");
        EXPECT_TRUE(form.OkButton->isVisible());
        Type(form.FileNameBox, "fw*");
        EXPECT_TRUE(form.OkButton->isVisible());
        Type(form.FileNameBox, "");
        EXPECT_FALSE(form.OkButton->isVisible());
        Type(form.FileNameBox, "x");
        EXPECT_TRUE(form.OkButton->isVisible());

        // Another type refills the list: nothing selected, the box shows the new mask, OK stays as it was.
        Click(form.FileList, "fw.vxf");
        form.FileTypeBox->setCurrentIndex(1);
        EXPECT_EQ(Texts(form.FileList), Names{"fw.bin"});
        EXPECT_TRUE(form.FileList->selectedItems().isEmpty());
        EXPECT_EQ(form.FileNameBox->text().toStdString(), "*.bin");
        EXPECT_TRUE(form.OkButton->isVisible());
        form.CancelButton->click();
    });
}

TEST_F(ChooserDialog, OkWithAStarInTheNameCancels) {
    EXPECT_FALSE(Show([](FileChooserDialog& form) {
        Click(form.FileList, "fw.hex");
        Type(form.FileNameBox, "fw*");
        form.OkButton->click();
        EXPECT_FALSE(form.isVisible());
    }));
    EXPECT_EQ(Form().SelectedName, "fw*");
    EXPECT_FALSE(MemoryWritten());
}

TEST_F(ChooserDialog, DoubleClickingAFileClosesWithOkAndItsBareName) {
    Form().SetFilter(kMainWindowFilter);
    EXPECT_TRUE(Show([](FileChooserDialog& form) { DoubleClick(form.FileList, "fw.vxf"); }));
    EXPECT_EQ(Form().SelectedName, "fw.vxf");
    EXPECT_FALSE(Form().isVisible());
    EXPECT_EQ(CurrentDirectory(), home_);
    EXPECT_EQ(Memory(), home_ + "\r\n");
    EXPECT_TRUE(messages_.empty());

    // The file double-clicked is chosen even when another name was typed after selecting it.
    EXPECT_TRUE(Show([](FileChooserDialog& form) {
        Click(form.FileList, "OLD.VXF");
        Type(form.FileNameBox, "notes.txt");
        DoubleClick(form.FileList, "OLD.VXF");
    }));
    EXPECT_EQ(Form().SelectedName, "OLD.VXF");
}

TEST_F(ChooserDialog, CancelOrAnyOtherCloseRemembersNothing) {
    EXPECT_FALSE(Show([](FileChooserDialog& form) {
        Click(form.FileList, "fw.hex");
        form.CancelButton->click();
        EXPECT_FALSE(form.isVisible());
    }));
    // Actions that leave the dialog open close it with Cancel too.
    EXPECT_FALSE(Show([](FileChooserDialog& form) { Click(form.FileList, "fw.hex"); }));
    EXPECT_FALSE(Form().isVisible());
    EXPECT_FALSE(MemoryWritten());
}

TEST_F(ChooserDialog, ATypedNameOfAnExistingFileIsChosen) {
    // A bare name or a path from the folder shown; a name in another case names the existing file.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"notes.txt", "notes.txt"}, {"FW.VXF", "fw.vxf"}, {"Fw/New/new.hex", "Fw/New/new.hex"}};
    for (const auto& [typed, chosen] : cases) {
        SCOPED_TRACE(typed);
        EXPECT_TRUE(Show([&typed](FileChooserDialog& form) {
            Type(form.FileNameBox, typed);
            QTest::keyClick(form.FileNameBox, Qt::Key_Return);
        }));
        EXPECT_EQ(Form().SelectedName, chosen);
        // The folder remembered is the one shown, not the file's.
        EXPECT_EQ(Memory(), home_ + "\r\n");
    }
}

TEST_F(ChooserDialog, ATypedNameThatIsNoFileClosesWithCancelWithoutAMessage) {
    for (const std::string typed : {"nothing.hex", "Fw"}) {
        SCOPED_TRACE(typed);
        EXPECT_FALSE(Show([&typed](FileChooserDialog& form) {
            Type(form.FileNameBox, typed);
            form.OkButton->click();
            EXPECT_FALSE(form.isVisible());
        }));
        EXPECT_EQ(Form().SelectedName, typed);
    }
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(MemoryWritten());
}

TEST_F(ChooserDialog, TheCurrentDirectoryFollowsTheFolderList) {
    Form().SetFilter(kMainWindowFilter);
    Show([this](FileChooserDialog& form) {
        form.FileTypeBox->setCurrentIndex(kHexType);
        Click(form.FileList, "fw.hex");
        DoubleClick(form.FolderList, "Fw");
        EXPECT_EQ(CurrentDirectory(), home_ + "/Fw");
        EXPECT_EQ(form.CurrentFolder(), home_ + "/Fw");
        EXPECT_EQ(form.CurrentFolderLabel->toolTip().toStdString(), home_ + "/Fw");
        EXPECT_EQ(Texts(form.FolderList), (Names{"..", "New"}));
        EXPECT_TRUE(Texts(form.FileList).empty());
        EXPECT_EQ(form.FileNameBox->text().toStdString(), "*.hex");

        DoubleClick(form.FolderList, "New");
        EXPECT_EQ(CurrentDirectory(), home_ + "/Fw/New");
        EXPECT_EQ(Texts(form.FileList), Names{"new.hex"});
        EXPECT_EQ(Texts(form.FolderList), Names{".."});
        // A long folder name is shortened to fit its label; the whole name is in the tool tip.
        EXPECT_LE(form.CurrentFolderLabel->fontMetrics().horizontalAdvance(form.CurrentFolderLabel->text()),
                  form.CurrentFolderLabel->width());

        DoubleClick(form.FolderList, "..");
        DoubleClick(form.FolderList, "..");
        EXPECT_EQ(CurrentDirectory(), home_);
        EXPECT_EQ(Texts(form.FileList), Names{"fw.hex"});
        form.CancelButton->click();
    });
    // Within a run the dialog stays where it was left.
    EXPECT_EQ(Form().CurrentFolder(), home_);
}

TEST_F(ChooserDialog, TheDriveBoxMovesTheFolderListAndFollowsIt) {
    Show([this](FileChooserDialog& form) {
        PickDrive(form, "/");
        EXPECT_EQ(CurrentDirectory(), "/");
        EXPECT_EQ(form.CurrentFolder(), "/");
        EXPECT_THAT(Texts(form.FolderList), AllOf(Contains("tmp"), ::testing::Not(Contains(".."))));
        EXPECT_EQ(form.FileNameBox->text().toStdString(), "*.*");

        PickDrive(form, home_);
        EXPECT_EQ(CurrentDirectory(), home_);
        // Leaving the home folder upwards lands on the root's drive.
        DoubleClick(form.FolderList, "..");
        EXPECT_EQ(form.DriveBox->currentText().toStdString(), "/");
        DoubleClick(form.FolderList, "Home");
        EXPECT_EQ(form.DriveBox->currentText().toStdString(), home_);
        form.CancelButton->click();
    });
}

TEST_F(ChooserDialog, AFileChosenInsideHomeIsRememberedForTheNextStart) {
    EXPECT_TRUE(Show([](FileChooserDialog& form) {
        DoubleClick(form.FolderList, "Fw");
        DoubleClick(form.FolderList, "New");
        DoubleClick(form.FileList, "new.hex");
    }));
    EXPECT_EQ(Form().SelectedName, "new.hex");
    EXPECT_EQ(Memory(), home_ + "/Fw/New\r\n");

    fs::current_path("/");
    const std::unique_ptr<FileChooserDialog> next = NewForm();
    EXPECT_EQ(next->DataFilesDir(), home_ + "/Fw/New");
    EXPECT_EQ(next->CurrentFolder(), home_ + "/Fw/New");
    EXPECT_EQ(CurrentDirectory(), home_ + "/Fw/New");
    EXPECT_EQ(Texts(next->FileList), (Names{"new.hex", "readme.txt"}));
}

TEST_F(ChooserDialog, AFileChosenOutsideHomeStoresHome) {
    EXPECT_TRUE(Show([](FileChooserDialog& form) {
        DoubleClick(form.FolderList, "..");
        DoubleClick(form.FolderList, "Elsewhere");
        DoubleClick(form.FileList, "far.hex");
    }));
    EXPECT_EQ(Form().SelectedName, "far.hex");
    EXPECT_EQ(CurrentDirectory(), root_ / "Elsewhere");
    EXPECT_EQ(Memory(), home_ + "\r\n");
    EXPECT_EQ(NewForm()->CurrentFolder(), home_);
}

TEST_F(ChooserDialog, ARememberedFolderThatIsGoneOpensInHome) {
    root_.Write("Home/VNLflash.set", home_ + "/Fw/Gone\r\n");
    EXPECT_EQ(Form().CurrentFolder(), home_);
    EXPECT_EQ(CurrentDirectory(), home_);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ChooserDialog, AnUnreadableMemoryFileIsReportedAndTheDialogOpensInHome) {
    root_.Folder("Home/VNLflash.set");
    EXPECT_EQ(Form().CurrentFolder(), home_);
    EXPECT_THAT(messages_, ElementsAre(AllOf(HasSubstr(home_ + "/VNLflash.set"), HasSubstr("directory"))));
}

TEST_F(ChooserDialog, AFailedSaveIsReportedButTheFileIsStillChosen) {
    root_.Folder("Home/VNLflash.set");
    Form();
    messages_.clear();
    EXPECT_TRUE(Show([](FileChooserDialog& form) { DoubleClick(form.FileList, "fw.bin"); }));
    EXPECT_EQ(Form().SelectedName, "fw.bin");
    EXPECT_THAT(messages_, ElementsAre(AllOf(HasSubstr("Cannot save"), HasSubstr(home_ + "/VNLflash.set"))));
    EXPECT_TRUE(fs::is_directory(root_ / "Home/VNLflash.set"));
}

TEST_F(ChooserDialog, AFolderThatCannotBeEnteredIsReportedAndTheListsStay) {
    Show([this](FileChooserDialog& form) {
        fs::remove_all(root_ / "Home/Fw");
        DoubleClick(form.FolderList, "Fw");
        EXPECT_EQ(form.CurrentFolder(), home_);
        EXPECT_EQ(CurrentDirectory(), home_);
        EXPECT_EQ(Texts(form.FolderList), (Names{"..", "Fw"}));
        form.CancelButton->click();
    });
    EXPECT_THAT(messages_,
                ElementsAre(AllOf(HasSubstr(home_ + "/Fw"), HasSubstr("No such file or directory"))));
}

TEST_F(ChooserDialog, EachShowingListsTheFolderAfresh) {
    Show([](FileChooserDialog& form) {
        DoubleClick(form.FolderList, "Fw");
        DoubleClick(form.FolderList, "New");
        form.CancelButton->click();
    });
    root_.Write("Home/Fw/New/late.hex", "firmware");
    fs::current_path("/");
    Show([this](FileChooserDialog& form) {
        EXPECT_EQ(CurrentDirectory(), home_ + "/Fw/New");
        EXPECT_THAT(Texts(form.FileList), Contains("late.hex"));
        form.CancelButton->click();
    });
    // The folder shown was removed while the dialog was hidden: it opens in the nearest parent left.
    fs::remove_all(root_ / "Home/Fw");
    Show([this](FileChooserDialog& form) {
        EXPECT_EQ(form.CurrentFolder(), home_);
        EXPECT_EQ(CurrentDirectory(), home_);
        form.CancelButton->click();
    });
}

TEST_F(ChooserDialog, AModalShowingReturnsWhatTheOperatorDid) {
    // Run from inside the modal loop; a dialog the actions left open is cancelled, so nothing hangs.
    const auto operate = [this](std::function<void(FileChooserDialog&)> actions) {
        QTimer::singleShot(0, &Form(), [this, actions] {
            actions(Form());
            if (Form().isVisible()) {
                Form().reject();
            }
        });
        return Form().ShowModal();
    };
    EXPECT_TRUE(operate([](FileChooserDialog& form) { DoubleClick(form.FileList, "fw.bin"); }));
    EXPECT_EQ(Form().SelectedName, "fw.bin");
    EXPECT_FALSE(operate([](FileChooserDialog& form) {
        Click(form.FileList, "fw.hex");
        form.CancelButton->click();
    }));
    EXPECT_FALSE(operate([](FileChooserDialog& form) { Click(form.FileList, "fw.hex"); }));
}

TEST_F(ChooserDialog, Screenshot) {
    Form().SetFilter(kMainWindowFilter);
    Show([](FileChooserDialog& form) {
        form.FileTypeBox->setCurrentIndex(kHexType);
        DoubleClick(form.FolderList, "Fw");
        DoubleClick(form.FolderList, "New");
        Click(form.FileList, "new.hex");
        QDir().mkpath(SCREENSHOT_DIR);
        const QPixmap picture = form.grab();
        EXPECT_EQ(picture.size(), QSize(488, 364));
        EXPECT_TRUE(picture.save(SCREENSHOT_DIR "/chooser.png"));
        form.CancelButton->click();
    });
}

}  // namespace
}  // namespace flash410::chooser
