#include "chooser/data_folder_memory.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "chooser/folder_paths.h"
#include "platform/system_error_text.h"
#include "platform/utf8_path.h"

namespace flash410::chooser {
namespace {

// Longer than any path the system accepts; a longer first line cannot name a folder.
constexpr std::size_t kLongestLine = 4096;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::string Reason(int error) {
    return platform::SystemErrorText(error == 0 ? EIO : error);
}

// Taken at once, before building the message can disturb errno.
std::string LastReason() {
    return Reason(errno);
}

// The first line without its line end; nothing when the file does not exist; an empty line when the
// first line is too long to be a folder.
std::optional<std::string> ReadFirstLine(const std::string& memoryFile) {
    FileHandle file(std::fopen(memoryFile.c_str(), "rb"));
    if (!file) {
        const int error = errno;
        if (error == ENOENT) {
            return std::nullopt;
        }
        throw DataFolderFileError("Cannot read the data folder file " + memoryFile + ": " + Reason(error));
    }
    std::string line;
    int character = 0;
    while ((character = std::fgetc(file.get())) != EOF && character != '\n') {
        if (line.size() == kLongestLine) {
            return std::string();
        }
        line.push_back(static_cast<char>(character));
    }
    if (std::ferror(file.get())) {
        const int error = errno;
        throw DataFolderFileError("Cannot read the data folder file " + memoryFile + ": " + Reason(error));
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

}  // namespace

std::string DataFolderMemoryFile(const std::string& homeFolder) {
    const std::string home = NormalFolder(homeFolder);
    // Only a root ends in "/" in its normal form.
    return (!home.empty() && home.back() == '/' ? home : home + "/") + "VNLflash.set";
}

std::string ReadDataFilesDir(const std::string& memoryFile, const std::string& homeFolder) {
    const std::string home = NormalFolder(homeFolder);
    const std::optional<std::string> line = ReadFirstLine(memoryFile);
    if (!line || line->empty() || !IsAbsoluteFolder(*line) || line->find('\0') != std::string::npos) {
        return home;
    }
    const std::string folder = NormalFolder(*line);
    if (folder == home || !IsInsideFolder(folder, home)) {
        return home;
    }
    std::error_code error;
    return std::filesystem::is_directory(platform::PathFromUtf8(folder), error) ? folder : home;
}

std::string SaveDataFilesDir(const std::string& memoryFile, const std::string& homeFolder,
                             const std::string& currentFolder) {
    const std::string home = NormalFolder(homeFolder);
    std::string folder = IsInsideFolder(currentFolder, home) ? NormalFolder(currentFolder) : home;
    // A folder whose name holds a line break cannot be kept in a one-line file.
    if (folder.find_first_of("\r\n") != std::string::npos) {
        folder = home;
    }
    const std::string failure = "Cannot save the data folder in " + memoryFile + ": ";
    const std::string line = folder + "\r\n";
    FileHandle file(std::fopen(memoryFile.c_str(), "wb"));
    if (!file) {
        throw DataFolderFileError(failure + LastReason());
    }
    if (std::fwrite(line.data(), 1, line.size(), file.get()) != line.size() || std::fflush(file.get()) != 0) {
        throw DataFolderFileError(failure + LastReason());
    }
    if (std::fclose(file.release()) != 0) {
        throw DataFolderFileError(failure + LastReason());
    }
    return folder;
}

}  // namespace flash410::chooser
