#include "win32_window/chooser_state.h"

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

namespace flash410::win32_window {

namespace {

namespace fs = std::filesystem;

bool IsRoot(const std::string& normalFolder) {
    return !normalFolder.empty() && normalFolder.back() == '/';
}

}  // namespace

std::string FolderOfRow(const std::string& currentFolder, const std::string& row) {
    const fs::path current = platform::PathFromUtf8(currentFolder);
    const fs::path next =
        row == kParentFolderRow ? current.parent_path() : current / platform::PathFromUtf8(row);
    return chooser::NormalFolder(next.string());
}

std::string NativeFolderText(std::string folder) {
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
}

ChooserState::ChooserState(std::string homeFolder)
    : homeFolder_(chooser::NormalFolder(homeFolder)),
      memoryFile_(chooser::DataFolderMemoryFile(homeFolder_)),
      fileTypes_{chooser::AllFilesType()} {
    try {
        dataFilesDir_ = chooser::ReadDataFilesDir(memoryFile_, homeFolder_);
    } catch (const chooser::DataFolderFileError& error) {
        dataFilesDir_ = homeFolder_;
        errors_.emplace_back(error.what());
    }
    drives_ = chooser::SystemDrives(homeFolder_);
    if (OpenFolder(dataFilesDir_)) {
        return;
    }
    // The lists must show some folder.
    std::error_code error;
    const fs::path started = fs::current_path(error);
    if (!error && OpenFolder(started.string())) {
        return;
    }
    OpenFolder(drives_.empty() ? std::string("/") : drives_.front());
}

void ChooserState::SetFilter(const std::string& text) {
    if (text == filterText_) {
        return;
    }
    filterText_ = text;
    fileTypes_ = chooser::ParseFileTypeFilter(text);
    ChooseType(0);
}

void ChooserState::Refresh() {
    drives_ = chooser::SystemDrives(homeFolder_);
    std::string folder = currentFolder_;
    std::error_code error;
    while (!IsRoot(folder) && !fs::is_directory(platform::PathFromUtf8(folder), error)) {
        const std::string parent = FolderOfRow(folder, kParentFolderRow);
        if (parent.empty() || parent == folder) {
            break;
        }
        folder = parent;
    }
    OpenFolder(folder);
}

bool ChooserState::OpenFolder(const std::string& folder) {
    const std::string normal = chooser::NormalFolder(folder);
    chooser::FolderContents contents = chooser::ReadFolderContents(normal, Mask());
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
    return true;
}

bool ChooserState::EnterFolderRow(std::size_t row) {
    return row < folderRows_.size() && OpenFolder(FolderOfRow(currentFolder_, folderRows_[row]));
}

bool ChooserState::ChooseDrive(std::size_t index) {
    return index < drives_.size() && OpenFolder(drives_[index]);
}

bool ChooserState::ChooseType(std::size_t index) {
    if (index >= fileTypes_.size()) {
        return false;
    }
    typeIndex_ = index;
    return currentFolder_.empty() || OpenFolder(currentFolder_);
}

std::optional<std::string> ChooserState::Accept(const std::string& nameBoxText) {
    if (nameBoxText.empty() || nameBoxText.find_first_of("*?") != std::string::npos) {
        return std::nullopt;
    }
    const fs::path typed = platform::PathFromUtf8(nameBoxText);
    const fs::path full =
        (typed.is_absolute() ? typed : platform::PathFromUtf8(currentFolder_) / typed).lexically_normal();
    const fs::path existing = image::ResolveFileNameCase(full);
    std::error_code error;
    if (!fs::is_regular_file(existing, error)) {
        return std::nullopt;
    }
    // The file is chosen even when its folder cannot be remembered.
    try {
        chooser::SaveDataFilesDir(memoryFile_, homeFolder_, currentFolder_);
    } catch (const chooser::DataFolderFileError& failure) {
        errors_.emplace_back(failure.what());
    }
    return existing.string();
}

std::optional<std::size_t> ChooserState::DriveIndex() const {
    const std::string drive = chooser::DriveOfFolder(drives_, currentFolder_);
    const auto found = std::find(drives_.begin(), drives_.end(), drive);
    if (found == drives_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - drives_.begin());
}

std::vector<std::string> ChooserState::TakeErrors() {
    return std::exchange(errors_, {});
}

}  // namespace flash410::win32_window
