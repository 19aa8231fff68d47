// The data folder memory: the one-line file VNLflash.set in the home folder that names the folder from
// which the last firmware file was taken, so that the chooser opens there at the next start.
//
// The home folder plays the part of the operator's own drive: a folder inside it is remembered as it
// is (its case kept), any other folder is stored as the home folder itself.
#pragma once

#include <stdexcept>
#include <string>

namespace flash410::chooser {

// A memory file that exists but cannot be read, or that cannot be written. The text names the file
// and the reason.
class DataFolderFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The memory file of a home folder: <home>/VNLflash.set.
std::string DataFolderMemoryFile(const std::string& homeFolder);

// The folder the chooser opens in: the remembered folder when the memory file names a folder inside
// the home folder that still exists; the home folder when the file is missing, its first line is empty,
// not an absolute path or too long to be one, names a folder outside home, or a folder that is gone.
// Throws DataFolderFileError when the file exists but cannot be read.
std::string ReadDataFilesDir(const std::string& memoryFile, const std::string& homeFolder);

// Creates or empties the memory file and writes one line, ended by CR LF: currentFolder when it lies
// inside the home folder, otherwise the home folder. Returns the folder written. Throws
// DataFolderFileError when the file cannot be written in full.
std::string SaveDataFilesDir(const std::string& memoryFile, const std::string& homeFolder,
                             const std::string& currentFolder);

}  // namespace flash410::chooser
