#include "capture/capture_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "capture/capture_error.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

namespace flash410::capture {
namespace {

using test_support::ReadFileBytes;
using ::testing::HasSubstr;

class CaptureFileBuffer : public ::testing::Test {
  protected:
    test_support::TempFolder folder_{"capture"};
    std::filesystem::path path_ = folder_.path() / "Capture.txt";
};

TEST_F(CaptureFileBuffer, NothingReachesTheDiskUntilTheBufferFills) {
    CaptureFile file(path_.string());
    const std::string first(CaptureFile::kBufferSize - 1, 'a');
    file.Write(first);
    EXPECT_EQ(ReadFileBytes(path_), "");
    file.Write("b");
    EXPECT_EQ(ReadFileBytes(path_), first + "b");
    file.Write("tail");
    EXPECT_EQ(ReadFileBytes(path_), first + "b");
    file.Close();
    EXPECT_EQ(ReadFileBytes(path_), first + "btail");
}

TEST_F(CaptureFileBuffer, AWriteLongerThanTheBufferGoesOutInWholeBuffers) {
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text += static_cast<char>(i);  // every byte value, NUL included
    }
    CaptureFile file(path_.string());
    file.Write(text);
    EXPECT_EQ(ReadFileBytes(path_), text.substr(0, 2 * CaptureFile::kBufferSize));
    file.Close();
    EXPECT_EQ(ReadFileBytes(path_), text);
}

TEST_F(CaptureFileBuffer, AFileAnotherCaptureIsWritingToIsRefusedUntilItIsClosed) {
    CaptureFile first(path_.string());
    first.Write(std::string(CaptureFile::kBufferSize, 'a'));
    try {
        CaptureFile second(path_.string());
        FAIL() << "two captures into one file";
    } catch (const CaptureError& refusal) {
        EXPECT_THAT(refusal.what(), HasSubstr("Cannot open the capture file " + path_.string()));
    }
    first.Close();
    CaptureFile again(path_.string());
    again.Write("b");
    again.Close();
    EXPECT_EQ(ReadFileBytes(path_), std::string(CaptureFile::kBufferSize, 'a') + "b");
}

TEST(CaptureFileFailure, AFullDiskFailsWhenTheBufferCannotGoOut) {
    const test_support::TempFolder folder("capture");
    const std::string path = (folder / "Capture.txt").string();
    // The disk has room for the first buffer only: the second write fails.
    const test_support::LimitedRun run =
        test_support::RunWithFileSizeLimit(CaptureFile::kBufferSize, [&](std::string& report) {
            CaptureFile file(path);
            file.Write(std::string(2 * CaptureFile::kBufferSize - 1, 'x'));
            try {
                file.Write("y");
                report = "the full disk took the second buffer";
                return 1;
            } catch (const CaptureError& error) {
                report = error.what();
            }
            // The bytes that could not be written are not tried again.
            try {
                file.Close();
            } catch (const CaptureError& error) {
                report += "\nthe close failed too: " + std::string(error.what());
                return 2;
            }
            return file.IsOpen() ? 3 : 0;
        });
    EXPECT_EQ(run.Status, 0) << run.Report;
    EXPECT_EQ(run.Report, "Cannot write to the capture file " + path + ": " + std::strerror(EFBIG));
    EXPECT_EQ(ReadFileBytes(path), std::string(CaptureFile::kBufferSize, 'x'));
}

}  // namespace
}  // namespace flash410::capture
