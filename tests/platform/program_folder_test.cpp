// The running program's folder as the system gives it.
#include "platform/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace flash410 {
namespace {

TEST(RunningProgramFolder, IsTheFolderOfThisTestProgramWithATrailingSlash) {
    const std::string folder = platform::RunningProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(folder) / PROGRAM_FILE_NAME))
        << folder;
}

}  // namespace
}  // namespace flash410
