// The chooser dialog as the operator works it, offscreen: what it shows of its model and what the
// operator's clicks and keys do. Each showing is scripted through the test hook, and the controls are
// clicked and typed into through Qt's test events. What the model decides is shown in its own tests.
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

#include "support/temp_folder.h"
#include "window/file_chooser_dialog.h"

namespace flash410::window {
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

class ChooserDialog : public ::testing::Test {
  protected:
    ChooserDialog() : home_(root_.Folder("Home")) {
        for (const char* file :
             {"Home/fw.vxf", "Home/OLD.VXF", "Home/fw.bin", "Home/fw.hex", "Home/notes.txt",
              "Home/.hidden.vxf", "Home/Fw/old.h86", "Home/Fw/New/new.hex", "Home/Fw/New/readme.txt"}) {
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
    // One showing of the dialog with the operator's actions; the file chosen.
    std::optional<std::string> Show(std::function<void(FileChooserDialog&)> actions) {
        Form().ScriptNextShowing(std::move(actions));
        return Form().ShowModal();
    }
    std::string Full(const std::string& name) const { return home_ + "/" + name; }

    test_support::TempFolder root_{"chooser"};
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

TEST_F(ChooserDialog, FirstStartShowsHomeWithOkHiddenAndAllFiles) {
    FileChooserDialog& form = Form();
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(form.CurrentFolderLabel->toolTip().toStdString(), home_);
    EXPECT_TRUE(form.OkButton->isHidden());
    EXPECT_EQ(Texts(form.FileTypeBox), Names{"All files (*.*)"});
    EXPECT_EQ(form.FileNameBox->text().toStdString(), "*.*");
    EXPECT_EQ(Texts(form.FileList), (Names{"fw.bin", "fw.hex", "fw.vxf", "notes.txt", "OLD.VXF"}));
    EXPECT_EQ(Texts(form.FolderList), (Names{"..", "Fw"}));
    EXPECT_THAT(Texts(form.DriveBox), AllOf(Contains("/"), Contains(home_)));
    EXPECT_EQ(form.DriveBox->currentText().toStdString(), home_);
}

TEST_F(ChooserDialog, TheTypeBoxShowsTheMainWindowsTypesAndPickingOneListsItsFiles) {
    Form().SetFilter(kMainWindowFilter);
    EXPECT_EQ(Texts(Form().FileTypeBox), (Names{"Varnel Upload (.vxf)", "Binary (.bin)", "Intel HEX (.h86)",
                                                "Intel HEX (.mcs)", "Intel HEX (.hex)"}));
    EXPECT_EQ(Form().FileTypeBox->currentIndex(), 0);
    EXPECT_EQ(Form().FileNameBox->text().toStdString(), "*.vxf");
    EXPECT_EQ(Texts(Form().FileList), (Names{"fw.vxf", "OLD.VXF"}));

    Show([](FileChooserDialog& form) {
        form.FileTypeBox->setCurrentIndex(kHexType);
        EXPECT_EQ(Texts(form.FileList), Names{"fw.hex"});
        EXPECT_EQ(form.FileNameBox->text().toStdString(), "*.hex");
        form.CancelButton->click();
    });
    // The next showing keeps the type picked.
    Form().SetFilter(kMainWindowFilter);
    EXPECT_EQ(Form().FileTypeBox->currentIndex(), kHexType);
}

TEST_F(ChooserDialog, OkFollowsTheNameBoxAndEnterPressesItOnlyWhileShown) {
    Form().SetFilter(kMainWindowFilter);
    Show([](FileChooserDialog& form) {
        Type(form.FileNameBox, "*.bin");
        EXPECT_FALSE(form.OkButton->isVisible());
        QTest::keyClick(form.FileNameBox, Qt::Key_Return);
        EXPECT_TRUE(form.isVisible());

        Click(form.FileList, "OLD.VXF");
        EXPECT_EQ(form.FileNameBox->text().toStdString(), "OLD.VXF");
        EXPECT_TRUE(form.OkButton->isVisible());
        Type(form.FileNameBox, "");
        EXPECT_FALSE(form.OkButton->isVisible());
        Type(form.FileNameBox, "x");
        EXPECT_TRUE(form.OkButton->isVisible());

        // Another type refills the list: nothing selected, the box shows the new mask.
        Click(form.FileList, "fw.vxf");
        form.FileTypeBox->setCurrentIndex(1);
        EXPECT_EQ(Texts(form.FileList), Names{"fw.bin"});
        EXPECT_TRUE(form.FileList->selectedItems().isEmpty());
        EXPECT_EQ(form.FileNameBox->text().toStdString(), "*.bin");
        EXPECT_TRUE(form.OkButton->isVisible());
        form.CancelButton->click();
    });
}

TEST_F(ChooserDialog, OkClosesWithTheFullNameOfTheFileNamedOrWithCancel) {
    EXPECT_EQ(Show([](FileChooserDialog& form) {
                  Type(form.FileNameBox, "notes.txt");
                  QTest::keyClick(form.FileNameBox, Qt::Key_Return);
                  EXPECT_FALSE(form.isVisible());
              }),
              Full("notes.txt"));
    EXPECT_EQ(Show([](FileChooserDialog& form) {
                  Click(form.FileList, "fw.hex");
                  Type(form.FileNameBox, "fw*");
                  form.OkButton->click();
                  EXPECT_FALSE(form.isVisible());
              }),
              std::nullopt);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ChooserDialog, DoubleClickingAFileClosesWithItsFullName) {
    Form().SetFilter(kMainWindowFilter);
    EXPECT_EQ(Show([](FileChooserDialog& form) {
                  Click(form.FileList, "OLD.VXF");
                  Type(form.FileNameBox, "notes.txt");
                  DoubleClick(form.FileList, "fw.vxf");
              }),
              Full("fw.vxf"));
    EXPECT_FALSE(Form().isVisible());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ChooserDialog, CancelOrAnyOtherCloseChoosesNothing) {
    EXPECT_EQ(Show([](FileChooserDialog& form) {
                  Click(form.FileList, "fw.hex");
                  form.CancelButton->click();
                  EXPECT_FALSE(form.isVisible());
              }),
              std::nullopt);
    // Actions that leave the dialog open close it with Cancel too.
    EXPECT_EQ(Show([](FileChooserDialog& form) { Click(form.FileList, "fw.hex"); }), std::nullopt);
    EXPECT_FALSE(Form().isVisible());
}

TEST_F(ChooserDialog, DoubleClickingFoldersGoesInAndUpAgain) {
    const fs::path workingFolder = fs::current_path();
    Form().SetFilter(kMainWindowFilter);
    Show([this](FileChooserDialog& form) {
        form.FileTypeBox->setCurrentIndex(kHexType);
        Click(form.FileList, "fw.hex");
        DoubleClick(form.FolderList, "Fw");
        EXPECT_EQ(form.CurrentFolderLabel->toolTip().toStdString(), home_ + "/Fw");
        EXPECT_EQ(Texts(form.FolderList), (Names{"..", "New"}));
        EXPECT_TRUE(Texts(form.FileList).empty());
        EXPECT_EQ(form.FileNameBox->text().toStdString(), "*.hex");

        DoubleClick(form.FolderList, "New");
        EXPECT_EQ(Texts(form.FileList), Names{"new.hex"});
        EXPECT_EQ(Texts(form.FolderList), Names{".."});
        // A long folder name is shortened to fit its label; the whole name is in the tool tip.
        EXPECT_LE(form.CurrentFolderLabel->fontMetrics().horizontalAdvance(form.CurrentFolderLabel->text()),
                  form.CurrentFolderLabel->width());

        DoubleClick(form.FolderList, "..");
        DoubleClick(form.FolderList, "..");
        EXPECT_EQ(form.CurrentFolderLabel->toolTip().toStdString(), home_);
        EXPECT_EQ(Texts(form.FileList), Names{"fw.hex"});
        form.CancelButton->click();
    });
    EXPECT_EQ(fs::current_path(), workingFolder);
}

TEST_F(ChooserDialog, TheDriveBoxMovesTheFolderListAndFollowsIt) {
    Show([this](FileChooserDialog& form) {
        PickDrive(form, "/");
        EXPECT_EQ(form.CurrentFolderLabel->toolTip().toStdString(), "/");
        EXPECT_THAT(Texts(form.FolderList), AllOf(Contains("tmp"), ::testing::Not(Contains(".."))));
        EXPECT_EQ(form.FileNameBox->text().toStdString(), "*.*");

        PickDrive(form, home_);
        EXPECT_EQ(form.CurrentFolderLabel->toolTip().toStdString(), home_);
        // Leaving the home folder upwards lands on the root's drive.
        DoubleClick(form.FolderList, "..");
        EXPECT_EQ(form.DriveBox->currentText().toStdString(), "/");
        DoubleClick(form.FolderList, "Home");
        EXPECT_EQ(form.DriveBox->currentText().toStdString(), home_);
        form.CancelButton->click();
    });
}

TEST_F(ChooserDialog, ErrorsAreShownInMessageBoxesAsTheyHappen) {
    root_.Folder("Home/VNLflash.set");
    Form();
    EXPECT_THAT(messages_, ElementsAre(HasSubstr(home_ + "/VNLflash.set")));
    messages_.clear();
    // The file is chosen all the same, and the folder that cannot be remembered is said.
    EXPECT_EQ(Show([](FileChooserDialog& form) { DoubleClick(form.FileList, "fw.bin"); }), Full("fw.bin"));
    EXPECT_THAT(messages_, ElementsAre(HasSubstr("Cannot save")));
    messages_.clear();

    Show([this](FileChooserDialog& form) {
        fs::remove_all(root_ / "Home/Fw");
        DoubleClick(form.FolderList, "Fw");
        EXPECT_THAT(messages_, ElementsAre(HasSubstr(home_ + "/Fw")));
        EXPECT_EQ(form.CurrentFolderLabel->toolTip().toStdString(), home_);
        EXPECT_THAT(Texts(form.FolderList), Contains("Fw"));
        form.CancelButton->click();
    });
}

TEST_F(ChooserDialog, EachShowingListsTheFolderAfresh) {
    Show([](FileChooserDialog& form) {
        DoubleClick(form.FolderList, "Fw");
        DoubleClick(form.FolderList, "New");
        form.CancelButton->click();
    });
    root_.Write("Home/Fw/New/late.hex", "firmware");
    Show([](FileChooserDialog& form) {
        EXPECT_THAT(Texts(form.FileList), Contains("late.hex"));
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
    EXPECT_EQ(operate([](FileChooserDialog& form) { DoubleClick(form.FileList, "fw.bin"); }), Full("fw.bin"));
    EXPECT_EQ(operate([](FileChooserDialog& form) {
                  Click(form.FileList, "fw.hex");
                  form.CancelButton->click();
              }),
              std::nullopt);
    EXPECT_EQ(operate([](FileChooserDialog& form) { Click(form.FileList, "fw.hex"); }), std::nullopt);
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
}  // namespace flash410::window
