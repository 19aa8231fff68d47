// Files that are read: only a regular file is, and anything else is refused at once, without waiting
// on it.
#include <gtest/gtest.h>

#include <string>

#include "image/byte_file.h"
#include "image/preparation_error.h"
#include "support/temp_folder.h"
#include "test_files.h"

namespace flash410::image {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

std::string OpeningFailure(const fs::path& name) {
    try {
        ByteFile::OpenForReading(name);
    } catch (const PreparationError& failure) {
        return failure.what();
    }
    return "no failure";
}

TEST(ByteFile, AFolderIsRefused) {
    TempFolder folder;
    EXPECT_EQ(OpeningFailure(folder.path()), "Cannot read " + folder.path().string() + ": Is a directory");
}

}  // namespace
}  // namespace flash410::image
