// The mount table reader over fixture tables and a fixture sysfs.

#include "platform/linux/linux_drives.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_dir.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;

TEST(LinuxDrivesTest, ListsOpticalAndRemovableVolumesWithLabels) {
    testing::ScratchDir root;
    const fs::path block = root.path() / "sys/class/block";
    fs::create_directories(root.path() / "sys/devices/sdb/sdb1");
    fs::create_directories(root.path() / "sys/devices/sda/sda1");
    fs::create_directories(block);
    testing::writeFile(root / "sys/devices/sdb/removable", "1\n");
    testing::writeFile(root / "sys/devices/sda/removable", "0\n");
    fs::create_directory_symlink("../../devices/sdb/sdb1", block / "sdb1");
    fs::create_directory_symlink("../../devices/sda/sda1", block / "sda1");
    fs::create_directories(root.path() / "labels");
    fs::create_symlink("../../sr0", root.path() / "labels/HOLIDAY\\x202001");

    const std::string mounts =
        "proc /proc proc rw 0 0\n"
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sr0 /media/u/HOLIDAY\\0402001 iso9660 ro 0 0\n"
        "/dev/sdb1 /media/u/USB\\040STICK vfat rw 0 0\n"
        "/dev/sr1 /mnt/disc udf ro 0 0\n"
        "garbage\n";
    const auto volumes =
        parseVolumes(mounts, {(root.path() / "sys").string(), (root.path() / "labels").string()});
    ASSERT_EQ(volumes.size(), 3u);
    EXPECT_EQ(volumes[0].name, "HOLIDAY 2001");
    EXPECT_EQ(volumes[0].mountPoint, "/media/u/HOLIDAY 2001");
    EXPECT_TRUE(volumes[0].optical);
    EXPECT_EQ(volumes[1].name, "USB STICK");  // no label: the mount point's last component
    EXPECT_TRUE(volumes[1].label.empty());
    EXPECT_FALSE(volumes[1].optical);
    EXPECT_EQ(volumes[2].name, "disc");

    testing::writeFile(root / "mounts", mounts);
    LinuxDrives drives(root / "mounts",
                       {(root.path() / "sys").string(), (root.path() / "labels").string()});
    EXPECT_TRUE(drives.isReady("/mnt/disc"));
    EXPECT_FALSE(drives.isReady("/"));
}

}  // namespace
}  // namespace tarnu
