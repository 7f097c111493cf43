#include "platform/xdg/xdg_desktop_integration.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QStandardPaths>
#include <QString>

#include <filesystem>

#include "platform/xdg/desktop_entry.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

TEST(DesktopEntry, ExecArgumentsAreQuotedOnlyWhenTheyNeedIt) {
    EXPECT_EQ(xdg::execArgument("/opt/tarnu/tarnu"), "/opt/tarnu/tarnu");
    EXPECT_EQ(xdg::execArgument("/opt/my apps/tarnu"), "\"/opt/my apps/tarnu\"");
    EXPECT_EQ(xdg::execArgument("/opt/a$b\"c`d\\e/tarnu"), "\"/opt/a\\$b\\\"c\\`d\\\\e/tarnu\"");
    EXPECT_EQ(xdg::execArgument("/opt/100%/tarnu"), "/opt/100%%/tarnu");
    EXPECT_EQ(xdg::execArgument("/opt/it's/tarnu"), "\"/opt/it's/tarnu\"");
}

TEST(DesktopEntry, ValuesAreEscapedAndReadBack) {
    EXPECT_EQ(xdg::escapeValue(" a\\b\nc\td"), "\\sa\\\\b\\nc\\td");
    const std::string text =
        "# comment\n[Other]\nExec=wrong\n[Desktop Entry]\nName = A\\sB\\\\C \r\n"
        "Exec=" +
        xdg::escapeValue(xdg::execArgument("/opt/my\\apps/tarnu") + " -boot") + "\n";
    EXPECT_EQ(xdg::entryValue(text, "Name"), "A B\\C");
    EXPECT_EQ(xdg::entryValue(text, "Exec"), "\"/opt/my\\\\apps/tarnu\" -boot");
    EXPECT_FALSE(xdg::entryValue(text, "Hidden"));
    EXPECT_FALSE(xdg::entryValue("Exec=x\n", "Exec")) << "outside the group";
}

class XdgTest : public ::testing::Test {
protected:
    XdgTest() {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS"}) {
            const char* old = getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("HOME", (dir / "home").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        // Not the machine's own: a Tarnu package installed there would change the outcome.
        setenv("XDG_DATA_DIRS", (dir / "system").c_str(), 1);
    }
    ~XdgTest() override {
        for (const auto& [name, value] : saved_) {
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        }
    }

    static bool installed(const char* tool) {
        return !QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty();
    }

    std::string applications(const char* name) const { return dir / "data/applications/" + name; }

    ScratchDir dir;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
    const std::string exe = "/opt/my apps/tarnu";
};

TEST_F(XdgTest, FileTypeIsAMimePackageAndAHandlerEntry) {
    XdgDesktopIntegration desktop;
    EXPECT_EQ(desktop.mimePackageFile(), dir / "data/mime/packages/tarnu-zubook.xml");
    ASSERT_TRUE(desktop.registerFileType(exe));

    const std::string mime = readFile(desktop.mimePackageFile());
    EXPECT_NE(mime.find("<mime-type type=\"application/x-tarnu-zubook\">"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.dua\"/>"), std::string::npos);
    const std::string entry = readFile(desktop.fileTypeEntryFile());
    EXPECT_EQ(xdg::entryValue(entry, "Exec"), "\"/opt/my apps/tarnu\" -dua %f");
    EXPECT_EQ(xdg::entryValue(entry, "MimeType"), "application/x-tarnu-zubook;");
    EXPECT_EQ(xdg::entryValue(entry, "Type"), "Application");

    if (installed("update-mime-database")) {
        EXPECT_NE(readFile(dir / "data/mime/globs2").find("application/x-tarnu-zubook:*.dua"),
                  std::string::npos);
    }
    if (installed("update-desktop-database")) {
        EXPECT_NE(readFile(applications("mimeinfo.cache")).find("tarnu-zubook.desktop"),
                  std::string::npos);
    }
    // A second start finds everything in place.
    EXPECT_TRUE(desktop.registerFileType(exe));
}

TEST_F(XdgTest, IntegrationOffersAddingFilesAndFoldersAndWithdrawsOnlyItsOwnEntries) {
    XdgDesktopIntegration desktop;
    fs::create_directories(dir / "data/applications");
    writeFile(applications("other.desktop"), "[Desktop Entry]\nName=Other\n");
    ASSERT_TRUE(desktop.registerFileType(exe));

    ASSERT_TRUE(desktop.setIntegrate(true, exe, "Add to Tarnu"));
    const std::string files = readFile(desktop.addFileEntryFile());
    EXPECT_EQ(xdg::entryValue(files, "Name"), "Add to Tarnu");
    EXPECT_EQ(xdg::entryValue(files, "Exec"), "\"/opt/my apps/tarnu\" -add %f");
    const std::string folders = readFile(desktop.addFolderEntryFile());
    EXPECT_EQ(xdg::entryValue(folders, "Exec"), "\"/opt/my apps/tarnu\" -addf %f");
    EXPECT_EQ(xdg::entryValue(folders, "MimeType"), "inode/directory;");

    ASSERT_TRUE(desktop.setIntegrate(false, exe, {}));
    EXPECT_FALSE(fs::exists(desktop.addFileEntryFile()));
    EXPECT_FALSE(fs::exists(desktop.addFolderEntryFile()));
    EXPECT_TRUE(fs::exists(applications("other.desktop")));
    EXPECT_TRUE(fs::exists(desktop.fileTypeEntryFile()));
    EXPECT_TRUE(desktop.setIntegrate(false, exe, {})) << "nothing left to remove";
}

TEST_F(XdgTest, PackagedFileTypeIsNeverCopiedButAddingEntriesAreStillWritten) {
    fs::create_directories(dir / "system/mime/packages");
    writeFile(dir / "system/mime/packages/tarnu.xml", "<mime-info/>");
    XdgDesktopIntegration desktop;
    EXPECT_TRUE(desktop.fileTypeInstalled());
    EXPECT_TRUE(desktop.registerFileType(exe));
    EXPECT_FALSE(fs::exists(desktop.mimePackageFile()));
    EXPECT_FALSE(fs::exists(desktop.fileTypeEntryFile()));
    // The per-user entry must not take the installed menu entry's name, which it would hide.
    EXPECT_NE(fs::path(desktop.fileTypeEntryFile()).filename(), "tarnu.desktop");

    ASSERT_TRUE(desktop.setIntegrate(true, exe, "Add to Tarnu"));
    EXPECT_TRUE(fs::exists(desktop.addFileEntryFile()));
    ASSERT_TRUE(desktop.setRunAtLogin(true, exe));
    EXPECT_TRUE(desktop.isRunAtLogin(exe));

    // The user's own copy in XDG_DATA_HOME is not the package's.
    fs::remove(dir / "system/mime/packages/tarnu.xml");
    fs::create_directories(dir / "data/mime/packages");
    writeFile(dir / "data/mime/packages/tarnu.xml", "<mime-info/>");
    EXPECT_FALSE(desktop.fileTypeInstalled());
}

TEST_F(XdgTest, RunAtLoginIsAnAutostartEntryForThisProgram) {
    XdgDesktopIntegration desktop;
    EXPECT_EQ(desktop.autostartFile(), dir / "config/autostart/tarnu.desktop");
    EXPECT_FALSE(desktop.isRunAtLogin(exe));
    ASSERT_TRUE(desktop.setRunAtLogin(true, exe));
    EXPECT_EQ(xdg::entryValue(readFile(desktop.autostartFile()), "Exec"),
              "\"/opt/my apps/tarnu\" -boot");
    EXPECT_TRUE(desktop.isRunAtLogin(exe));
    EXPECT_TRUE(desktop.isRunAtLogin("/OPT/My Apps/TARNU")) << "letter case is ignored";
    EXPECT_FALSE(desktop.isRunAtLogin("/opt/other/tarnu"));

    writeFile(desktop.autostartFile(), readFile(desktop.autostartFile()) + "Hidden=true\n");
    EXPECT_FALSE(desktop.isRunAtLogin(exe)) << "switched off by the user";

    ASSERT_TRUE(desktop.setRunAtLogin(false, exe));
    EXPECT_FALSE(fs::exists(desktop.autostartFile()));
    EXPECT_FALSE(desktop.isRunAtLogin(exe));
}

TEST_F(XdgTest, FailuresAreReportedAsFalseWithoutThrowing) {
    // Plain files where the directories should be.
    writeFile(dir / "data", "x");
    writeFile(dir / "config", "x");
    XdgDesktopIntegration desktop;
    EXPECT_FALSE(desktop.registerFileType(exe));
    EXPECT_FALSE(desktop.setIntegrate(true, exe, "Add to Tarnu"));
    EXPECT_FALSE(desktop.setRunAtLogin(true, exe));
    EXPECT_FALSE(desktop.isRunAtLogin(exe));
}

}  // namespace
}  // namespace tarnu
