// FileChooserDialog: the "Select a File Name" dialog in which the operator picks the firmware file. It is
// created once, hidden, and reused; its controls keep their folder and file type between showings. The
// process's current directory follows the folder list, so the bare SelectedName it hands back stays valid.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "chooser/file_type_filter.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace flash410::chooser {

class FileChooserDialog : public QDialog {
  public:
    // Shows an error in a modal box; tests put their own in its place.
    using MessageBox = std::function<void(QWidget* parent, const QString& text)>;

    // homeFolder: where the data folder memory VNLflash.set lives and the folder any other is stored as.
    explicit FileChooserDialog(std::string homeFolder, QWidget* parent = nullptr);
    FileChooserDialog(std::string homeFolder, MessageBox messageBox, QWidget* parent = nullptr);
    ~FileChooserDialog() override;

    // Takes the main window's filter text, "description|mask|" pairs. A new text fills the type list and
    // selects its first entry; the same text again leaves the operator's choice of type alone.
    void SetFilter(const std::string& text);

    // Shows the dialog modally; true when it closed with OK (SelectedName names an existing file).
    bool ShowModal();

    // Test hook: the next ShowModal shows the dialog without a modal loop, runs the actions (which work
    // the controls as the operator would) and returns the result they led to; a dialog the actions left
    // open closes with Cancel.
    void ScriptNextShowing(std::function<void(FileChooserDialog&)> actions);

    // The folder the memory file gave at creation, and the folder the lists show now.
    const std::string& DataFilesDir() const { return dataFilesDir_; }
    const std::string& CurrentFolder() const { return currentFolder_; }

    // The text of the file name box when OK was pressed (for a name typed in another case than the
    // existing file's, that file's own name).
    std::string SelectedName;

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
    void SetUpControls();

    void FileNameEdited(const QString& text);
    void FileSelected();
    void FileDoubleClicked(QListWidgetItem* item);
    void FolderDoubleClicked(QListWidgetItem* item);
    void DriveChosen(int index);
    void FileTypeChosen(int index);
    void OkPressed();
    void CancelPressed();

    // Makes a folder the current directory and shows it; false (with a message) when it cannot be entered.
    bool OpenFolder(const std::string& folder);
    // Before each showing: the drives mounted now, and the shown folder entered and listed afresh.
    void PrepareShowing();
    void RefillLists();
    void RefreshDrives();
    void ShowCurrentDrive();
    void ShowError(const std::string& text);

    std::string homeFolder_;
    std::string memoryFile_;
    MessageBox messageBox_;
    std::string dataFilesDir_;
    std::string currentFolder_;
    std::string filterText_;
    std::vector<FileType> fileTypes_;
    std::string mask_;
    std::vector<std::string> drives_;
    std::function<void(FileChooserDialog&)> script_;
};

}  // namespace flash410::chooser
