#include "capture/capture_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "capture/capture_error.h"
#include "capture_test_support.h"

namespace uflash8 {
namespace {

using test::FileBytes;

class CaptureFileBuffer : public ::testing::Test {
  protected:
    test::TemporaryFolder folder_;
    std::filesystem::path path_ = folder_.Path() / "Capture.txt";
};

TEST_F(CaptureFileBuffer, NothingReachesTheDiskUntilTheBufferFills) {
    CaptureFile file(path_.string());
    const std::string first(CaptureFile::kBufferSize - 1, 'a');
    file.Write(first);
    EXPECT_EQ(FileBytes(path_), "");
    file.Write("b");
    EXPECT_EQ(FileBytes(path_), first + "b");
    file.Write("tail");
    EXPECT_EQ(FileBytes(path_), first + "b");
    file.Close();
    EXPECT_EQ(FileBytes(path_), first + "btail");
}

TEST_F(CaptureFileBuffer, AWriteLongerThanTheBufferGoesOutInWholeBuffers) {
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text += static_cast<char>(i);  // every byte value, NUL included
    }
    CaptureFile file(path_.string());
    file.Write(text);
    EXPECT_EQ(FileBytes(path_), text.substr(0, 2 * CaptureFile::kBufferSize));
    file.Close();
    EXPECT_EQ(FileBytes(path_), text);
}

TEST(CaptureFileFailure, AFullDeviceFailsWhenTheBufferFills) {
    CaptureFile file("/dev/full");
    file.Write(std::string(CaptureFile::kBufferSize - 1, 'x'));
    try {
        file.Write("y");
        FAIL() << "a full device took the buffer";
    } catch (const CaptureError& error) {
        EXPECT_NE(std::string(error.what()).find("/dev/full"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos)
            << error.what();
    }
    // The bytes that could not be written are not tried again.
    EXPECT_NO_THROW(file.Close());
    EXPECT_FALSE(file.IsOpen());
}

}  // namespace
}  // namespace uflash8
