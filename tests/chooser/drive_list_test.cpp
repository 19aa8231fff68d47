// The drives the operator picks from, read from a mount table.
#include "chooser/drive_list.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace flash410::chooser {
namespace {

using Drives = std::vector<std::string>;

constexpr char kMountTable[] =
    "proc /proc proc rw,nosuid,nodev,noexec,relatime 0 0\n"
    "sysfs /sys sysfs rw,nosuid,nodev,noexec,relatime 0 0\n"
    "/dev/nvme0n1p2 / ext4 rw,relatime 0 0\n"
    "/dev/nvme0n1p3 /home ext4 rw,relatime 0 0\n"
    "tmpfs /run tmpfs rw,nosuid,nodev 0 0\n"
    "/dev/sdc1 /run/media/ann/CARD exfat rw,nosuid,nodev,relatime 0 0\n"
    "/dev/sdb1 /media/ann/USB\\040STICK vfat rw,nosuid,nodev,relatime 0 0\n"
    "/dev/sdd1 /mnt/backup ext4 rw,relatime 0 0\n"
    "tmpfs /mnt/scratch tmpfs rw,relatime 0 0\n"
    "/dev/sdd1 /mnt/backup ext4 rw,relatime 0 0\n"
    "/dev/sde1 /mediaset ext4 rw,relatime 0 0\n"
    "/dev/sdf1 /srv/data xfs rw,relatime 0 0\n"
    "broken line\n";

TEST(DriveList, RootHomeThenRemovableMediaInNameOrder) {
    const Drives expected = {"/", "/home/ann", "/media/ann/USB STICK", "/mnt/backup", "/run/media/ann/CARD"};
    EXPECT_EQ(ListDrives(kMountTable, "/home/ann/"), expected);
}

TEST(DriveList, AHomeFolderThatIsTheRootIsListedOnce) {
    EXPECT_EQ(ListDrives("/dev/sda1 / ext4 rw 0 0\n", "/"), Drives{"/"});
    EXPECT_EQ(ListDrives("", ""), Drives{"/"});
}

TEST(DriveList, AnUnreadableMountTableLeavesRootAndHome) {
    test_support::TempFolder folder("chooser");
    EXPECT_EQ(ReadDrives(folder / "no-such-table", "/home/ann"), (Drives{"/", "/home/ann"}));
    const std::string table = folder.Write("mounts", "/dev/sdb1 /media/usb vfat rw 0 0\n");
    EXPECT_EQ(ReadDrives(table, "/home/ann"), (Drives{"/", "/home/ann", "/media/usb"}));
}

TEST(DriveList, AFolderLiesOnTheDriveWithTheLongestPathHoldingIt) {
    const Drives drives = ListDrives(kMountTable, "/home/ann");
    EXPECT_EQ(DriveOfFolder(drives, "/home/ann/Fw/New"), "/home/ann");
    EXPECT_EQ(DriveOfFolder(drives, "/home/ann"), "/home/ann");
    EXPECT_EQ(DriveOfFolder(drives, "/home/anna"), "/");
    EXPECT_EQ(DriveOfFolder(drives, "/media/ann/USB STICK/fw"), "/media/ann/USB STICK");
    EXPECT_EQ(DriveOfFolder(drives, "/etc"), "/");
    EXPECT_EQ(DriveOfFolder(drives, "/"), "/");
}

}  // namespace
}  // namespace flash410::chooser
