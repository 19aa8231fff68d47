#include "capture/capture_text.h"

#include <gtest/gtest.h>

#include <string>

namespace flash410::capture {
namespace {

TEST(CaptureTextLineBreaks, OnlyTheFirstFourLineFeedsAreShownAsLf) {
    EXPECT_EQ(TranslateCaptureText("[in]a\nb\nc\nd\ne\nf"), "[in]a[lf]b[lf]c[lf]d[lf]e\nf");
}

TEST(CaptureTextLineBreaks, OnlyTheFirstSixCarriageReturnsAreShownAsCr) {
    EXPECT_EQ(TranslateCaptureText("1\r2\r3\r4\r5\r6\r7\r8"), "1[cr]2[cr]3[cr]4[cr]5[cr]6[cr]7\r8");
}

TEST(CaptureTextLineBreaks, LineFeedsAndCarriageReturnsAreCountedSeparately) {
    // Five CR LF pairs: every CR is within its limit of six, the fifth LF is past its limit of four.
    EXPECT_EQ(TranslateCaptureText("[in]\r\n\r\n\r\n\r\n\r\n"), "[in][cr][lf][cr][lf][cr][lf][cr][lf][cr]\n");
}

TEST(CaptureTextLineBreaks, OtherBytesPassUnchanged) {
    std::string raw = "[in]";
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\r' && byte != '\n') {
            raw += static_cast<char>(byte);
        }
    }
    EXPECT_EQ(TranslateCaptureText(raw), raw);
}

TEST(CaptureTextFactoryMode, EachFactoryMessageReplacesTheWholeTextTagIncluded) {
    EXPECT_EQ(TranslateCaptureText("[in]FAC=E 1\r\n"), " Factory mode enabled");
    EXPECT_EQ(TranslateCaptureText("[out]FAC=D 0\r"), " Factory mode disabled");
    EXPECT_EQ(TranslateCaptureText("[out]FAC=7"), " Factory mode message accepted");
    EXPECT_EQ(TranslateCaptureText("[in]fac=E 1"), "[in]fac=E 1");
}

TEST(CaptureTextFactoryMode, EnabledWinsOverDisabledWhereverItStands) {
    EXPECT_EQ(TranslateCaptureText("[in]FAC=D FAC=E "), " Factory mode enabled");
}

TEST(CaptureTextFactoryMode, TheBlankMustFollowTheLetter) {
    // The carriage return after E is already "[cr]" when the factory texts are looked for.
    EXPECT_EQ(TranslateCaptureText("[in]FAC=E\r\n"), " Factory mode message accepted");
    EXPECT_EQ(TranslateCaptureText("[in]FAC=D"), " Factory mode message accepted");
}

}  // namespace
}  // namespace flash410::capture
