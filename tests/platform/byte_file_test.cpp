// Files that are read: only a regular file is, and anything else is refused at once, without waiting
// on it.
#include "platform/byte_file.h"

#include <gtest/gtest.h>

#include <string>

#include "file_test_helpers.h"
#include "support/temp_folder.h"

namespace flash410::platform {
namespace {

using test_support::TempFolder;
using namespace testing;

TEST(ByteFile, AFolderIsRefused) {
    TempFolder folder;
    EXPECT_EQ(OpeningFailure(folder.path()), "Cannot read " + folder.path().string() + ": Is a directory");
}

}  // namespace
}  // namespace flash410::platform
