// What the file chooser dialog shows and what the operator's actions do to it, without a window: the
// drives, the folder shown and its rows (".." first, then the subfolders), the files of the chosen type,
// the type list from the main window's filter, the file name box and whether OK is shown, and the folder
// memory. Each window's dialog draws this and hands on the operator's actions; tests work it directly.
//
// It never changes the process's working folder: the name it hands back is a full path.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chooser/file_type_filter.h"

namespace flash410::chooser {

class ChooserModel {
  public:
    // homeFolder: where the folder memory VNLflash.set lives, and the folder any other is stored as. The
    // lists open at the remembered folder; when it cannot be listed, the folder the program was started
    // in, else the first drive. OK starts hidden.
    explicit ChooserModel(std::string homeFolder);

    // The main window's filter, "description|mask|" pairs. A new text fills the type list, picks its
    // first entry and lists the folder afresh; the same text again leaves the operator's choice of type
    // alone.
    void SetFilter(const std::string& text);
    // Before each showing: the drives present now, and the folder shown listed afresh (a folder removed
    // meanwhile gives way to its nearest remaining parent).
    void Refresh();

    // The operator's moves through the folders and types. Each refills the lists, so that no file is
    // selected and the name box shows the mask; each returns false, leaving everything as it was, when
    // it could not be done.
    bool OpenFolder(const std::string& folder);
    bool EnterFolderRow(std::size_t row);
    bool ChooseDrive(std::size_t index);
    bool ChooseType(std::size_t index);

    // A file row selected in the list, or none: the name box shows that file's name, or the mask.
    void SelectFile(std::optional<std::size_t> row);
    // The name box's new text, as typed or set. A text with "*" leaves OK as it was; otherwise OK is
    // shown while the text is not empty.
    void EditName(const std::string& text);
    // OK: the full name (UTF-8) of the existing file that the name box names, from the folder shown or as
    // an absolute name (in another case than the file's, that file's own name), and the folder shown is
    // remembered. Nothing, which closes the dialog with Cancel, for a name with "*", an empty name or
    // one that names no file.
    std::optional<std::string> Accept();
    // A double click on a file row: that file is taken, whatever the name box held.
    std::optional<std::string> AcceptFile(std::size_t row);

    const std::string& DataFilesDir() const { return dataFilesDir_; }
    const std::string& CurrentFolder() const { return currentFolder_; }
    const std::vector<std::string>& FolderRows() const { return folderRows_; }
    const std::vector<std::string>& FileRows() const { return fileRows_; }
    const std::optional<std::size_t>& SelectedFile() const { return selectedFile_; }
    const std::string& NameBoxText() const { return nameBoxText_; }
    bool OkShown() const { return okShown_; }
    const std::vector<FileType>& FileTypes() const { return fileTypes_; }
    std::size_t TypeIndex() const { return typeIndex_; }
    // The chosen type's mask: what the name box shows while no file is selected.
    const std::string& Mask() const { return fileTypes_[typeIndex_].Mask; }
    const std::vector<std::string>& Drives() const { return drives_; }
    // The drive the folder shown lies on, or nothing when none of the drives holds it.
    std::optional<std::size_t> DriveIndex() const;

    // What went wrong since last asked, in order, each for a message box.
    std::vector<std::string> TakeErrors();

  private:
    // The folder shown, or its nearest parent that is left, listed again.
    void ListAfresh();

    std::string homeFolder_;
    std::string memoryFile_;
    std::string dataFilesDir_;
    std::string currentFolder_;
    std::string filterText_;
    std::vector<FileType> fileTypes_;
    std::size_t typeIndex_ = 0;
    std::vector<std::string> drives_;
    std::vector<std::string> folderRows_;
    std::vector<std::string> fileRows_;
    std::optional<std::size_t> selectedFile_;
    std::string nameBoxText_;
    bool okShown_ = false;
    std::vector<std::string> errors_;
};

}  // namespace flash410::chooser
