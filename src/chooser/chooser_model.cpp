#include "chooser/chooser_model.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "chooser/data_folder_memory.h"
#include "chooser/drive_list.h"
#include "chooser/folder_contents.h"
#include "chooser/folder_paths.h"
#include "image/file_name_case.h"
#include "platform/utf8_path.h"

namespace flash410::chooser {

namespace {

namespace fs = std::filesystem;

bool IsRoot(const std::string& normalFolder) {
    return !normalFolder.empty() && normalFolder.back() == '/';
}

}  // namespace

ChooserModel::ChooserModel(std::string homeFolder)
    : homeFolder_(NormalFolder(homeFolder)),
      memoryFile_(DataFolderMemoryFile(homeFolder_)),
      fileTypes_{AllFilesType()} {
    try {
        dataFilesDir_ = ReadDataFilesDir(memoryFile_, homeFolder_);
    } catch (const DataFolderFileError& error) {
        dataFilesDir_ = homeFolder_;
        errors_.emplace_back(error.what());
    }
    drives_ = SystemDrives(homeFolder_);
    if (OpenFolder(dataFilesDir_)) {
        return;
    }
    // The lists must show some folder. The folder the program was started in is only read here.
    std::error_code error;
    const fs::path started = fs::current_path(error);
    if (!error && OpenFolder(started.string())) {
        return;
    }
    OpenFolder(drives_.empty() ? std::string("/") : drives_.front());
}

void ChooserModel::SetFilter(const std::string& text) {
    if (text == filterText_) {
        return;
    }
    filterText_ = text;
    fileTypes_ = ParseFileTypeFilter(text);
    typeIndex_ = 0;
    ListAfresh();
}

void ChooserModel::Refresh() {
    drives_ = SystemDrives(homeFolder_);
    ListAfresh();
}

void ChooserModel::ListAfresh() {
    std::string folder = currentFolder_;
    std::error_code error;
    while (!IsRoot(folder) && !fs::is_directory(platform::PathFromUtf8(folder), error)) {
        const std::string parent = FolderOfRow(folder, kParentFolderRow);
        if (parent.empty() || parent == folder) {
            break;
        }
        folder = parent;
    }
    if (!OpenFolder(folder)) {
        OpenFolder(drives_.empty() ? std::string("/") : drives_.front());
    }
}

bool ChooserModel::OpenFolder(const std::string& folder) {
    const std::string normal = NormalFolder(folder);
    FolderContents contents = ReadFolderContents(normal, Mask());
    if (!contents.Error.empty()) {
        // A folder that cannot be listed is not entered: the lists keep showing the one they showed.
        errors_.push_back(std::move(contents.Error));
        return false;
    }
    currentFolder_ = normal;
    folderRows_.clear();
    if (!IsRoot(currentFolder_)) {
        folderRows_.emplace_back(kParentFolderRow);
    }
    folderRows_.insert(folderRows_.end(), contents.SubFolders.begin(), contents.SubFolders.end());
    fileRows_ = std::move(contents.Files);
    SelectFile(std::nullopt);
    return true;
}

bool ChooserModel::EnterFolderRow(std::size_t row) {
    return row < folderRows_.size() && OpenFolder(FolderOfRow(currentFolder_, folderRows_[row]));
}

bool ChooserModel::ChooseDrive(std::size_t index) {
    return index < drives_.size() && OpenFolder(drives_[index]);
}

bool ChooserModel::ChooseType(std::size_t index) {
    if (index >= fileTypes_.size()) {
        return false;
    }
    const std::size_t before = std::exchange(typeIndex_, index);
    if (!OpenFolder(currentFolder_)) {
        typeIndex_ = before;
        return false;
    }
    return true;
}

void ChooserModel::SelectFile(std::optional<std::size_t> row) {
    if (row && *row >= fileRows_.size()) {
        row.reset();
    }
    selectedFile_ = row;
    EditName(row ? fileRows_[*row] : Mask());
}

void ChooserModel::EditName(const std::string& text) {
    // A box that did not change tells nothing, as a text box's change notice does not come then.
    if (text == nameBoxText_) {
        return;
    }
    nameBoxText_ = text;
    // The mask the box shows while no file is selected leaves OK as it was.
    if (text.find('*') == std::string::npos) {
        okShown_ = !text.empty();
    }
}

std::optional<std::string> ChooserModel::Accept() {
    if (nameBoxText_.empty() || nameBoxText_.find('*') != std::string::npos) {
        return std::nullopt;
    }
    const fs::path typed = platform::PathFromUtf8(nameBoxText_);
    const fs::path full =
        (typed.is_absolute() ? typed : platform::PathFromUtf8(currentFolder_) / typed).lexically_normal();
    // As on Windows, a name that differs from an existing file's only in case names that file.
    const fs::path existing = image::ResolveFileNameCase(full);
    std::error_code error;
    if (!fs::is_regular_file(existing, error)) {
        return std::nullopt;
    }
    // The file is chosen even when its folder cannot be remembered.
    try {
        SaveDataFilesDir(memoryFile_, homeFolder_, currentFolder_);
    } catch (const DataFolderFileError& failure) {
        errors_.emplace_back(failure.what());
    }
    return existing.string();
}

std::optional<std::string> ChooserModel::AcceptFile(std::size_t row) {
    if (row >= fileRows_.size()) {
        return std::nullopt;
    }
    // The file double-clicked is the one chosen, even when another name was typed after selecting it.
    SelectFile(row);
    return Accept();
}

std::optional<std::size_t> ChooserModel::DriveIndex() const {
    const std::string drive = DriveOfFolder(drives_, currentFolder_);
    const auto found = std::find(drives_.begin(), drives_.end(), drive);
    if (found == drives_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - drives_.begin());
}

std::vector<std::string> ChooserModel::TakeErrors() {
    return std::exchange(errors_, {});
}

}  // namespace flash410::chooser
