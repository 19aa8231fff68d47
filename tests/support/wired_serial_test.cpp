// The serial component as the tests wire it must behave as the upload session's: the same line settings,
// ports found through the program folder, notifications only when the test lets them run, and error boxes
// kept as texts.
#include "wired_serial.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "program_folder.h"
#include "pseudo_terminal.h"

namespace flash410::test_support {
namespace {

using ::testing::HasSubstr;

class WiredSerial : public ::testing::Test {
  protected:
    TestUiThread ui_;
    PseudoTerminal line_;
    ProgramFolder folder_;
    std::vector<std::string> errorBoxes_;
};

TEST_F(WiredSerial, HasTheModemsLineSettings) {
    const auto serial = MakeWiredSerial(ui_, folder_.folder(), errorBoxes_);
    EXPECT_EQ(serial->DataBits(), serial::DataBits::kEight);
    EXPECT_FALSE(serial->CheckParity());
}

TEST_F(WiredSerial, FindsItsPortThroughTheProgramFoldersLinks) {
    folder_.Link(5, "/dev/flash410-first-device");
    folder_.Link(5, line_.slavePath());  // a second link replaces the first
    const auto serial = MakeWiredSerial(ui_, folder_.folder(), errorBoxes_);
    EXPECT_EQ(std::filesystem::read_symlink(folder_ / "ports/com5"), line_.slavePath());
    serial->SetPort(5);
    serial->SetActive(true);
    ASSERT_TRUE(serial->Active()) << serial->ErrorText();
    serial->WriteString("UP MC\r");
    EXPECT_EQ(line_.Receive(6), "UP MC\r");
}

TEST_F(WiredSerial, NotifiesOnlyWhenTheTestRunsItsUiThread) {
    folder_.Link(1, line_.slavePath());
    const auto serial = MakeWiredSerial(ui_, folder_.folder(), errorBoxes_);
    int notified = 0;
    serial->OnRxData = [&](serial::SerialPort*) { ++notified; };
    serial->SetPort(1);
    serial->SetActive(true);
    ASSERT_TRUE(serial->Active()) << serial->ErrorText();
    line_.Send("READY\r");
    ASSERT_TRUE(ui_.WaitForWork(std::chrono::seconds(10)));
    EXPECT_EQ(notified, 0);
    ASSERT_TRUE(ui_.RunUntil([&] { return notified > 0; }));
    std::string text;
    serial->ReadString(text);
    EXPECT_EQ(text, "READY\r");
}

TEST_F(WiredSerial, KeepsTheTextsOfItsErrorBoxes) {
    folder_.Link(4, "/dev/flash410-absent-device");
    const auto serial = MakeWiredSerial(ui_, folder_.folder(), errorBoxes_);
    serial->SetPort(4);
    serial->SetActive(true);
    EXPECT_FALSE(serial->Active());
    ASSERT_EQ(errorBoxes_.size(), 1u);
    EXPECT_THAT(errorBoxes_[0], HasSubstr("/dev/flash410-absent-device"));
}

}  // namespace
}  // namespace flash410::test_support
