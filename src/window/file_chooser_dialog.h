// FileChooserDialog: the "Select a File Name" dialog in which the operator picks the firmware file. It
// draws the chooser's model and hands it the operator's actions. It is created once, hidden, and reused:
// the model keeps the folder and file type between showings.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "chooser/chooser_model.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace flash410::window {

class FileChooserDialog : public QDialog {
  public:
    // Shows an error in a modal box; tests put their own in its place.
    using MessageBox = std::function<void(QWidget* parent, const QString& text)>;

    // homeFolder: where the data folder memory VNLflash.set lives and the folder any other is stored as.
    explicit FileChooserDialog(std::string homeFolder, MessageBox messageBox = {}, QWidget* parent = nullptr);
    ~FileChooserDialog() override;

    // Takes the main window's filter text, "description|mask|" pairs (see ChooserModel::SetFilter).
    void SetFilter(const std::string& text);

    // Shows the dialog modally; the full name of the file chosen with OK, or nothing for Cancel.
    std::optional<std::string> ShowModal();

    // Test hook: the next ShowModal shows the dialog without a modal loop, runs the actions (which work
    // the controls as the operator would) and returns the result they led to; a dialog the actions left
    // open closes with Cancel.
    void ScriptNextShowing(std::function<void(FileChooserDialog&)> actions);

    // The controls, for tests that work them as the operator does.
    QGroupBox* ContentsBox = nullptr;
    QLabel *DriveLabel = nullptr, *FoldersLabel = nullptr, *FileNameLabel = nullptr, *FileTypeLabel = nullptr,
           *FolderHint = nullptr;
    QLineEdit* FileNameBox = nullptr;
    QListWidget* FileList = nullptr;
    QLabel* CurrentFolderLabel = nullptr;
    QListWidget* FolderList = nullptr;
    QComboBox* FileTypeBox = nullptr;
    QComboBox* DriveBox = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

  private:
    void BuildControls();
    void ConnectControls();

    void FileNameEdited(const QString& text);
    void FileSelected();
    void FileDoubleClicked(QListWidgetItem* item);
    void FolderDoubleClicked(QListWidgetItem* item);
    void DriveChosen(int index);
    void FileTypeChosen(int index);
    void End(std::optional<std::string> chosen);

    // Draws the whole model: the folder, both lists, the name box, OK, the types and the drives.
    void Draw();
    // Draws what the name box's rules change: its text and OK.
    void DrawNameBox();
    void ShowErrors();

    chooser::ChooserModel model_;
    MessageBox messageBox_;
    std::optional<std::string> chosen_;
    std::function<void(FileChooserDialog&)> script_;
};

}  // namespace flash410::window
