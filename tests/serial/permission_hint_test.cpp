// The advice given when the system refuses a device: checked from mode, owner and group, since a test
// run as root never meets the refusal itself.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "serial/permission_hint_posix.h"
#include "serial/serial_device_linux.h"
#include "support/temp_folder.h"

namespace flash410::serial {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(PermissionHint, AGroupThatMayReadAndWriteIsNamedWithTheExactCommand) {
    EXPECT_EQ(PermissionHint("/dev/ttyUSB0", S_IFCHR | 0660, "root", "dialout", "alice"),
              "Only members of the group 'dialout' may use /dev/ttyUSB0: add your user to it "
              "(sudo usermod -aG dialout alice), then log out and in again.");
    EXPECT_THAT(PermissionHint("/dev/ttyACM0", S_IFCHR | 0662, "root", "uucp", "bob"),
                HasSubstr("(sudo usermod -aG uucp bob)"));
}

TEST(PermissionHint, NeverSuggestsJoiningRoot) {
    for (const mode_t mode : {0600, 0660, 0664}) {
        EXPECT_THAT(PermissionHint("/dev/ttyS0", S_IFCHR | mode, "root", "root", "alice"),
                    AllOf(Not(HasSubstr("usermod")), HasSubstr("administrator"), HasSubstr("udev rule")))
            << std::oct << mode;
    }
}

TEST(PermissionHint, ADeviceForItsOwnerAloneNamesTheOwner) {
    EXPECT_EQ(PermissionHint("/dev/ttyS0", S_IFCHR | 0600, "root", "root", "alice"),
              "/dev/ttyS0 (mode 0600) admits only its owner, root. Only the administrator can change that, "
              "for example with a udev rule.");
    EXPECT_THAT(PermissionHint("/dev/ttyS0", S_IFCHR | 0660, "root", "root", "alice"),
                HasSubstr("admits only its owner, root, and the group 'root'."));
}

TEST(PermissionHint, AGroupThatMayNotBothReadAndWriteIsNotWorthJoining) {
    for (const mode_t mode : {0640, 0620, 0600}) {
        const std::string hint = PermissionHint("/dev/ttyUSB1", S_IFCHR | mode, "modem", "dialout", "alice");
        EXPECT_THAT(hint, Not(HasSubstr("usermod"))) << std::oct << mode;
        EXPECT_THAT(hint, HasSubstr("admits only its owner, modem.")) << std::oct << mode;
    }
}

TEST(PermissionHint, APermissionThatShouldAdmitTheUserBlamesSomethingElse) {
    EXPECT_THAT(PermissionHint("/dev/ttyS1", S_IFCHR | 0606, "root", "root", "alice"),
                AllOf(HasSubstr("admit you, yet the system refused"), Not(HasSubstr("admits only"))));
    EXPECT_THAT(PermissionHint("/dev/ttyS1", S_IFCHR | 0600, "alice", "root", "alice"),
                HasSubstr("admit you, yet the system refused"));
    EXPECT_THAT(PermissionHint("/dev/ttyS1", S_IFCHR | 0000, "alice", "root", "alice"),
                HasSubstr("shut out even its owner, alice."));
}

// The hint the device gives for a refused open, from the file's real mode: a device that admits only
// its owner gets no group advice, whoever runs the test.
TEST(PermissionHint, TheDeviceLooksAtTheRealModeOfWhatWasRefused) {
    const test_support::TempFolder folder("serial");
    const std::string path = (folder / "owner-only").string();
    std::ofstream(path).put('x');
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);

    LinuxSerialDevice device;
    const std::string hint =
        device.DescribeOpenFailure({ErrorKind::kPermission, EACCES, "Permission denied"}, path).accessAdvice;
    EXPECT_THAT(hint, Not(HasSubstr("usermod")));
    EXPECT_THAT(hint, HasSubstr(path + " (mode 0600)"));
    // A device that cannot be looked at has no advice of its own: the component's words stand.
    EXPECT_EQ(
        device.DescribeOpenFailure({ErrorKind::kPermission, EACCES, "Permission denied"}, path + ".gone")
            .accessAdvice,
        "");
}

}  // namespace
}  // namespace flash410::serial
