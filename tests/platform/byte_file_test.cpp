// Files that are read: only a regular file is, and anything else is refused at once, without waiting
// on it.
#include "platform/byte_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace flash410::platform {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

std::string OpeningFailure(const fs::path& name) {
    try {
        ByteFile::OpenForReading(name);
    } catch (const FileError& failure) {
        return failure.what();
    }
    return "no failure";
}

TEST(ByteFile, AFolderIsRefused) {
    TempFolder folder;
    EXPECT_EQ(OpeningFailure(folder.path()), "Cannot read " + folder.path().string() + ": Is a directory");
}

}  // namespace
}  // namespace flash410::platform
