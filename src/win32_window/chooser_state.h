// What the file chooser dialog shows and what the operator's actions do to it, without a window: the
// drives, the folder shown and its rows (".." first, then the subfolders), the files of the chosen type,
// the type list from the main window's filter, and the folder memory. The dialog draws this and hands
// on the operator's picks; tests work it directly.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chooser/file_type_filter.h"

namespace flash410::win32_window {

// The folder row that goes up one level.
inline constexpr char kParentFolderRow[] = "..";

class ChooserState {
  public:
    // homeFolder: where the folder memory VNLflash.set lives, and the folder any other is stored as. The
    // lists open at the remembered folder; when it cannot be listed, the folder the program was started
    // in, else the first drive.
    explicit ChooserState(std::string homeFolder);

    // The main window's filter, "description|mask|" pairs. A new text fills the type list and picks its
    // first entry; the same text again leaves the operator's choice of type alone.
    void SetFilter(const std::string& text);
    // Before each showing: the drives present now, and the folder shown listed afresh (a folder removed
    // meanwhile gives way to its nearest remaining parent).
    void Refresh();

    // The operator's actions. Each returns false, leaving what is shown, when it could not be done.
    bool OpenFolder(const std::string& folder);
    bool EnterFolderRow(std::size_t row);
    bool ChooseDrive(std::size_t index);
    bool ChooseType(std::size_t index);
    // OK with the name box's text: the full name (UTF-8) of the existing file it names in the folder
    // shown (or of the absolute name typed), and the folder remembered; nothing for a mask, an empty
    // name or no such file.
    std::optional<std::string> Accept(const std::string& nameBoxText);

    const std::string& DataFilesDir() const { return dataFilesDir_; }
    const std::string& CurrentFolder() const { return currentFolder_; }
    const std::vector<std::string>& FolderRows() const { return folderRows_; }
    const std::vector<std::string>& FileRows() const { return fileRows_; }
    const std::vector<chooser::FileType>& FileTypes() const { return fileTypes_; }
    std::size_t TypeIndex() const { return typeIndex_; }
    // The chosen type's mask: what the name box shows while no file is selected.
    const std::string& Mask() const { return fileTypes_[typeIndex_].Mask; }
    const std::vector<std::string>& Drives() const { return drives_; }
    // The drive the folder shown lies on, or nothing when none of the drives holds it.
    std::optional<std::size_t> DriveIndex() const;

    // What went wrong since last asked, in order, each for a message box.
    std::vector<std::string> TakeErrors();

  private:
    std::string homeFolder_;
    std::string memoryFile_;
    std::string dataFilesDir_;
    std::string currentFolder_;
    std::string filterText_;
    std::vector<chooser::FileType> fileTypes_;
    std::size_t typeIndex_ = 0;
    std::vector<std::string> drives_;
    std::vector<std::string> folderRows_;
    std::vector<std::string> fileRows_;
    std::vector<std::string> errors_;
};

// The folder a row of the folder list leads to from the folder shown: its parent for "..", else the
// subfolder of that name.
std::string FolderOfRow(const std::string& currentFolder, const std::string& row);

// A folder or drive as Windows writes it, with backslashes: "C:/fw" is shown as "C:\fw".
std::string NativeFolderText(std::string folder);

}  // namespace flash410::win32_window
