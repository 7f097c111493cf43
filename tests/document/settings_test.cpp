#include "document/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data_pack_test_util.h"
#include "document/form_placement.h"

namespace tarnu {
namespace {

using testing::ProgramDir;

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() { ProgramDir::makeArchive(dir.dataPack(), {{"AskRes.ar", "a"}}); }

    ProgramDir dir;
    TZLBArchive archive;
    DataPack pack{dir.path(), archive};
    SettingsStore store{pack, "/home/someone"};
};

TEST_F(SettingsTest, WithoutAnEntryEveryDefaultApplies) {
    const Settings s = store.read();
    EXPECT_TRUE(s.closeAsMin && s.showTrayIcon && s.showComments);
    EXPECT_FALSE(s.runMin || s.integrate || s.bringToFront || s.autoSaveOnChanges ||
                 s.loadArchOnStartup);
    EXPECT_TRUE(s.recurce && s.addFiles && s.delExt && s.ask);
    EXPECT_EQ(s.loadArch, "");
    EXPECT_EQ(s.defDir, "/home/someone");
    EXPECT_EQ(s.saveDir, dir.path());
    EXPECT_EQ(s.downloadDir, dir.path() + "/Download");
    EXPECT_EQ(s.columnWidths, kDefaultColumnWidths);
    EXPECT_EQ(s, store.defaults());
    EXPECT_FALSE(archive.isOpen());
    EXPECT_FALSE(std::filesystem::exists(dir.dataDir() + "/Tarnu.ini"));

    std::filesystem::create_directory(dir.path() + "/Downloads");
    EXPECT_EQ(defaultSettings(dir.path(), dir.path()).downloadDir, dir.path() + "/Downloads");
}

TEST_F(SettingsTest, OkCreatesTheEntryAndTheNextStartReadsIt) {
    Settings s = store.defaults();
    s.closeAsMin = false;
    s.integrate = true;
    s.loadArchOnStartup = true;
    s.loadArch = "Books/work.dua";
    s.downloadDir = "Download";
    s.delExt = false;
    store.save(s);
    EXPECT_EQ(store.read(), s);

    const IniFile stored(*pack.readEntry("Tarnu.ini"));
    EXPECT_EQ(stored.readString("General", "CloseAsMin", "?"), "0");
    EXPECT_EQ(stored.readString("General", "Integrate", "?"), "1");
    EXPECT_EQ(stored.readString("FFOperations", "DelExt", "?"), "0");
    EXPECT_EQ(stored.readString("Directories", "DownloadDir", "?"), "Download");
    EXPECT_FALSE(archive.isOpen());
}

TEST_F(SettingsTest, ColumnWidthsSurviveOkAndOkSurvivesColumnWidths) {
    const ColumnWidths widths{10, 20, 30, 40, 50, 60};
    store.saveColumnWidths(widths);
    Settings s = store.read();
    s.runMin = true;
    store.save(s);
    EXPECT_EQ(store.read().columnWidths, (ColumnWidths{10, 20, 30, 40, 50, 100}))
        << "column 5 is written but never read";
    store.saveColumnWidths(kDefaultColumnWidths);
    EXPECT_TRUE(store.read().runMin);
    const IniFile stored(*pack.readEntry("Tarnu.ini"));
    EXPECT_EQ(stored.readInteger("Columns", "5", 0), 100);
}

TEST_F(SettingsTest, OtherSectionsAndUnreadableValuesAreHandled) {
    pack.writeEntry("Tarnu.ini",
                    "[General]\r\nCloseAsMin=yes\r\nRunMin=2\r\n[Plugins]\r\nx=1\r\n"
                    "[Columns]\r\n0=wide\r\n1=300\r\n"
                    "[Sharing]\r\nControlPort=40111\r\nFilePort=65536\r\n");
    Settings s = store.read();
    EXPECT_TRUE(s.closeAsMin) << "not a number: the default";
    EXPECT_TRUE(s.runMin) << "any non-zero integer is on";
    EXPECT_EQ(s.columnWidths[0], 150);
    EXPECT_EQ(s.columnWidths[1], 300);
    EXPECT_EQ(s.controlPort, 40111);
    EXPECT_EQ(s.filePort, 0) << "not a port: the standard one";
    store.save(s);
    const IniFile stored(*pack.readEntry("Tarnu.ini"));
    EXPECT_EQ(stored.readString("Plugins", "x", "?"), "1");
    EXPECT_EQ(stored.readString("Columns", "1", "?"), "300");
    EXPECT_EQ(stored.readString("Sharing", "FilePort", "?"), "65536") << "the user's text stays";
}

TEST_F(SettingsTest, EntryWithoutColumnsGivesTheDefaultWidths) {
    pack.writeEntry("Tarnu.ini", "[General]\r\nRunMin=1\r\n");
    EXPECT_EQ(store.read().columnWidths, kDefaultColumnWidths);
}

TEST_F(SettingsTest, ResetWorkspaceForgetsThePlacementAndStoresDefaultWidths) {
    store.saveColumnWidths({1, 2, 3, 4, 5, 6});
    FormPlacement placement(dir.dataDir() + "/ZuFormPos.ini");
    placement.write(WindowPlacement{});
    ASSERT_TRUE(std::filesystem::exists(placement.filePath()));
    EXPECT_EQ(store.resetWorkspace(placement), kDefaultColumnWidths);
    EXPECT_FALSE(std::filesystem::exists(placement.filePath()));
    EXPECT_EQ(store.read().columnWidths, kDefaultColumnWidths);
    // Nothing to delete the second time.
    EXPECT_EQ(store.resetWorkspace(placement), kDefaultColumnWidths);
}

TEST_F(SettingsTest, MissingDataPackIsReported) {
    std::filesystem::remove(dir.dataPack());
    EXPECT_THROW(store.read(), DataPackMissing);
    EXPECT_THROW(store.save(store.defaults()), DataPackMissing);
}

class RecordingDesktop : public DesktopIntegration {
public:
    bool registerFileType(const std::string&) override { return true; }
    bool setIntegrate(bool on, const std::string& exe, const std::string& menuText) override {
        calls.push_back((on ? "on " : "off ") + exe + " [" + menuText + "]");
        return true;
    }
    bool setRunAtLogin(bool, const std::string&) override { return true; }
    bool isRunAtLogin(const std::string&) override { return false; }
    std::vector<std::string> calls;
};

TEST_F(SettingsTest, IntegrationUsesMessageSixteenForTheMenuText) {
    ProgramDir::makeArchive(dir.dataPack(), {{"AskRes.ar",
                                              "0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n"
                                              "8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n"
                                              "14\r\n15\r\nAdd to Tarnu\r\n"}});
    RecordingDesktop desktop;
    Settings s = store.defaults();
    s.integrate = true;
    EXPECT_TRUE(applyIntegration(desktop, s, "/opt/tarnu/tarnu", pack));
    s.integrate = false;
    EXPECT_TRUE(applyIntegration(desktop, s, "/opt/tarnu/tarnu", pack));
    const std::vector<std::string> expected = {"on /opt/tarnu/tarnu [Add to Tarnu]",
                                               "off /opt/tarnu/tarnu []"};
    EXPECT_EQ(desktop.calls, expected);
}

}  // namespace
}  // namespace tarnu
