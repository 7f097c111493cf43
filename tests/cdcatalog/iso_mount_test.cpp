// A real ISO 9660 image, mounted where the machine allows it: the drive list finds it in the
// mount table and the catalog reads it like any disc. Skipped without xorriso, without
// permission to mount, or without the file system in the kernel.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cdcatalog/cd_catalog.h"
#include "platform/linux/linux_drives.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

TEST(IsoMountTest, AMountedImageIsListedAndCatalogued) {
    testing::ScratchDir dir;
    fs::create_directories(dir.path() / "src/DOCS");
    testing::writeFile(dir / "src/A.TXT", "a");
    testing::writeFile(dir / "src/DOCS/C.TXT", "c");
    const std::string image = dir / "holiday.iso", mountPoint = dir / "HOLIDAY";
    fs::create_directories(mountPoint);
    if (!run("xorriso -as mkisofs -V HOLIDAY -o '" + image + "' '" + (dir / "src") + "'")) {
        GTEST_SKIP() << "xorriso is not installed";
    }
    if (!run("mount -o loop,ro -t iso9660 '" + image + "' '" + mountPoint + "'")) {
        GTEST_SKIP() << "mounting an ISO 9660 image is not permitted here";
    }
    LinuxDrives drives;
    std::vector<Volume> found;
    for (const Volume& v : drives.volumes()) {
        if (v.mountPoint == mountPoint) {
            found.push_back(v);
        }
    }
    testing::ScriptedUi ui;
    AsciiCollation collation;
    CdCatalog catalog(dir / "Data", collation, ui);
    catalog.showPage();
    const CatalogNode* cd = found.empty() ? nullptr
                                          : catalog.addDirectory(catalog.tree().roots()[0].get(),
                                                                 mountPoint, found[0].name);
    run("umount '" + mountPoint + "'");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].optical);
    EXPECT_EQ(found[0].name, "HOLIDAY");  // the label, or the mount point's last component
    ASSERT_NE(cd, nullptr);
    EXPECT_EQ(cd->children().size(), 1u);
    EXPECT_EQ(catalog.filesOf(*cd->children()[0]).size(), 1u);
    EXPECT_FALSE(drives.isReady(mountPoint));
}

}  // namespace
}  // namespace tarnu
