#include "common/app_dirs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_dir.h"

namespace tarnu {
namespace {

TEST(AppDirs, PortableMarkerKeepsEverythingBesideTheProgram) {
    testing::ScratchDir dir;
    testing::writeFile(dir / "tarnu.portable", "");
    const AppDirs dirs = appDirs(dir.str(), "/xdg/data", "/home/u");
    EXPECT_TRUE(dirs.portable);
    EXPECT_EQ(dirs.programFilesDir, dir.str());
    EXPECT_EQ(dirs.userDataDir, dir.str());
    EXPECT_EQ(dirs.pluginDir, dir / "plugins");
    EXPECT_EQ(dirs.userPluginDir, "") << "the same directory must not be searched twice";
}

TEST(AppDirs, InstalledProgramReadsBesideItselfAndWritesUnderTheUsersDataHome) {
    testing::ScratchDir dir;  // no marker
    const std::string bin = dir / "usr/bin";
    AppDirs dirs = appDirs(bin, "", "/home/u");
    EXPECT_FALSE(dirs.portable);
    EXPECT_EQ(dirs.programFilesDir, dir / "usr/share/tarnu");
    EXPECT_TRUE(dirs.pluginDir.starts_with(dir / "usr/lib/")) << dirs.pluginDir;
    EXPECT_TRUE(dirs.pluginDir.ends_with("/tarnu/plugins")) << dirs.pluginDir;
    EXPECT_EQ(dirs.userDataDir, "/home/u/.local/share/tarnu");
    EXPECT_EQ(dirs.userPluginDir, "/home/u/.local/share/tarnu/plugins");

    EXPECT_EQ(appDirs(bin + "/", "/xdg/data", "/home/u").programFilesDir, dir / "usr/share/tarnu");
    EXPECT_EQ(appDirs(bin, "/xdg/data", "/home/u").userDataDir, "/xdg/data/tarnu");
    // A relative XDG_DATA_HOME is not valid and is ignored.
    EXPECT_EQ(appDirs(bin, "data", "/home/u").userDataDir, "/home/u/.local/share/tarnu");
    EXPECT_EQ(appDirs(bin, "", "").userDataDir, "") << "no place to write: the caller says so";
}

}  // namespace
}  // namespace tarnu
