// The operator's words for a refused open, the same on every system: one text for each kind, to which
// the system adds only what it alone knows.
#include <gtest/gtest.h>

#include <string>

#include "serial/error_words.h"

namespace flash410::serial {
namespace {

std::string RefusedText(ErrorKind kind, const OpenFailureDetail& detail = {}) {
    return OpenFailureText("COM5", {kind, 1, "The system's reason"}, detail);
}

TEST(ErrorWords, EachKindOfRefusedOpenSaysWhatToDo) {
    EXPECT_EQ(
        RefusedText(ErrorKind::kMissing),
        "Cannot open COM5: The system's reason. The device does not exist: check that the serial adapter "
        "is plugged in, or pick another port.");
    EXPECT_EQ(
        RefusedText(ErrorKind::kBusy),
        "Cannot open COM5: The system's reason. Another program is using it. Close that program and try "
        "again.");
    EXPECT_EQ(RefusedText(ErrorKind::kPermission),
              "Cannot open COM5: The system's reason. You may not use this device: ask the administrator for "
              "access.");
    EXPECT_EQ(RefusedText(ErrorKind::kNotSerialPort),
              "Cannot open COM5: The system's reason. It is not a serial port.");
    EXPECT_EQ(RefusedText(ErrorKind::kOther), "Cannot open COM5: The system's reason.");
}

TEST(ErrorWords, TheSystemAddsTheHolderOfABusyPortAndItsOwnWayIn) {
    const OpenFailureDetail detail{"minicom (process 41)", "Only members of the group 'dialout' may use it."};
    EXPECT_EQ(
        RefusedText(ErrorKind::kBusy, detail),
        "Cannot open COM5: The system's reason. It is in use by minicom (process 41). Close that program "
        "and try again.");
    EXPECT_EQ(RefusedText(ErrorKind::kPermission, detail),
              "Cannot open COM5: The system's reason. Only members of the group 'dialout' may use it.");
    // What belongs to another kind is left out.
    EXPECT_EQ(RefusedText(ErrorKind::kNotSerialPort, detail),
              "Cannot open COM5: The system's reason. It is not a serial port.");
}

}  // namespace
}  // namespace flash410::serial
