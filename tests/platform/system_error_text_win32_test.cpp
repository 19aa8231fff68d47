// The system's words for Windows error codes, made to read inside a sentence.
#include "platform/system_error_text_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace flash410::platform {
namespace {

TEST(WindowsErrorText, TheSystemsTextWithoutItsFullStopOrLineEnd) {
    const std::string text = WindowsErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '.');
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(WindowsErrorText, ACodeWithoutATextIsNamedByItsNumber) {
    // Bit 29 marks a program's own codes, for which the system has no words.
    EXPECT_EQ(WindowsErrorText(0x20001234UL), "Error 536875572");
}

}  // namespace
}  // namespace flash410::platform
