// The catalog page's commands on a real store and real directory trees standing in for discs.

#include "cdcatalog/cd_catalog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "archive/zlb_archive.h"
#include "cdcatalog/catalog_search.h"
#include "common/error.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

std::vector<std::string> entryNames(const std::string& store) {
    TZLBArchive archive;
    archive.open(store);
    std::vector<std::string> names;
    for (const auto& e : archive.entries()) {
        names.push_back(e.name);
    }
    return names;
}

std::string entry(const std::string& store, std::string_view name) {
    TZLBArchive archive;
    archive.open(store);
    MemoryStream out;
    archive.extractToStream(name, out);
    return out.takeBytes();
}

class CdCatalogTest : public ::testing::Test {
protected:
    void SetUp() override {
        catalog.showPage();
        music = catalog.tree().roots()[0].get();
    }

    // A disc: HOLIDAY with a.txt in its root and c.txt in Docs.
    std::string makeDisc(const std::string& name) {
        const std::string root = discs / name;
        fs::create_directories(root + "/Docs");
        writeFile(root + "/a.txt", "a");
        writeFile(root + "/Docs/c.txt", "c");
        return root;
    }

    std::string store() const { return data / "CDBase.qcb"; }

    testing::ScratchDir data, discs;
    testing::ScriptedUi ui;
    AsciiCollation collation;
    CdCatalog catalog{data.str(), collation, ui};
    const CatalogNode* music = nullptr;
};

TEST_F(CdCatalogTest, FirstShowingCreatesTheStoreWithTheDefaultCatalogs) {
    EXPECT_EQ(entryNames(store()), std::vector<std::string>{"CDBase"});
    EXPECT_EQ(entry(store(), "CDBase"), "Music\r\nSoft\r\nVideo\r\n");
    EXPECT_EQ(music->text(), "Music");
}

TEST_F(CdCatalogTest, ScanningADiscStoresItsTreeAndListing) {
    const std::string disc = makeDisc("HOLIDAY");
    fs::create_directories(disc + "/Empty/Deeper");
    const CatalogNode* cd = catalog.addDirectory(music, disc, "");
    ASSERT_NE(cd, nullptr);
    EXPECT_EQ(cd->text(), "HOLIDAY");
    EXPECT_EQ(entry(store(), "CDBase"),
              "Music\r\n\tHOLIDAY\r\n\t\tDocs\r\n\t\tEmpty\r\n\t\t\tDeeper\r\nSoft\r\nVideo\r\n");
    EXPECT_EQ(entry(store(), "HOLIDAY.cd"),
              "[HOLIDAY\\Docs\\]\r\nc.txt\r\n\r\n[HOLIDAY\\]\r\na.txt\r\n\r\n");
    EXPECT_FALSE(fs::exists(catalog.scratchPath()));

    // The same disc again, and a name differing only in letter case, get names of their own.
    EXPECT_EQ(catalog.addDirectory(music, disc, "")->text(), "(0)HOLIDAY");
    EXPECT_EQ(catalog.addDirectory(music, disc, "Holiday")->text(), "(1)Holiday");
    EXPECT_EQ(entryNames(store()).size(), 4u);

    // A volume of empty directories gets its nodes and no listing.
    fs::create_directories(discs / "BARE/x/y");
    EXPECT_EQ(catalog.addDirectory(music, discs / "BARE", "")->children().size(), 1u);
    EXPECT_EQ(entryNames(store()).size(), 4u);
}

TEST_F(CdCatalogTest, AScanStaysOnItsVolumeAndStartsFromAnEmptyScratchFile) {
    const std::string disc = makeDisc("LOOPS");
    fs::create_directory_symlink(disc, disc + "/Docs/back-to-root");
    fs::create_directory_symlink("/", disc + "/root");
    fs::create_directories(disc + "/Locked");
    writeFile(disc + "/Locked/secret", "s");
    ::chmod((disc + "/Locked").c_str(), 0);
    writeFile(catalog.scratchPath(), "[OLD\\]\r\nstale.txt\r\n\r\n");

    ScanOptions options;
    options.rootPath = disc;
    options.cdName = "LOOPS";
    const ScanResult scan = scanVolume(options);
    ::chmod((disc + "/Locked").c_str(), 0700);
    if (::geteuid() != 0) {
        EXPECT_EQ(scan.skipped, std::vector<std::string>{disc + "/Locked"});
    }
    catalog.storeScan(music, scan);
    const std::string listing = entry(store(), "LOOPS.cd");
    EXPECT_EQ(listing.find("stale"), std::string::npos);
    // The links are listed as names, never followed.
    EXPECT_NE(listing.find("back-to-root\r\n"), std::string::npos);
    EXPECT_NE(listing.find("\r\nroot\r\n"), std::string::npos);
    EXPECT_EQ(scan.directories, ::geteuid() != 0 ? 2u : 3u);

    std::atomic<bool> stop{true};
    options.stop = &stop;
    EXPECT_TRUE(scanVolume(options).stopped);
    options.rootPath = disc + "/missing";
    EXPECT_THROW(scanVolume(options), Error);
}

TEST_F(CdCatalogTest, BrowsingListsDirectoriesFirstThenFilesSorted) {
    const std::string disc = discs / "PICS";
    fs::create_directories(disc + "/beta");
    fs::create_directories(disc + "/Alpha");
    for (const char* name : {"zeta.jpg", "Beta.jpg", "alpha.jpg"}) {
        writeFile(disc + "/" + name, "x");
    }
    const CatalogNode* cd = catalog.addDirectory(music, disc, "");
    catalog.select(cd);
    std::vector<std::string> captions;
    for (const auto& item : catalog.list()) {
        captions.push_back(item.caption);
    }
    EXPECT_EQ(captions,
              (std::vector<std::string>{":Alpha", ":beta", "alpha.jpg", "Beta.jpg", "zeta.jpg"}));
    catalog.select(music);
    EXPECT_TRUE(catalog.list().empty());
}

TEST_F(CdCatalogTest, RenamingAndDeleting) {
    const std::string disc = makeDisc("HOLIDAY");
    const CatalogNode* one = catalog.addDirectory(music, disc, "");
    const CatalogNode* two = catalog.addDirectory(music, disc, "");
    EXPECT_FALSE(catalog.renameInPlace(one, "Other"));
    EXPECT_FALSE(catalog.renameInPlace(music, ""));
    EXPECT_TRUE(catalog.renameInPlace(music, "Audio"));
    EXPECT_TRUE(entry(store(), "CDBase").starts_with("Audio\r\n\t(0)HOLIDAY\r\n"));

    catalog.deleteCdButton(music);  // the side bar acts on CDs only
    catalog.deleteCdButton(one->children()[0].get());
    EXPECT_EQ(entryNames(store()).size(), 3u);
    catalog.deleteKey(two);
    EXPECT_EQ(entryNames(store()), (std::vector<std::string>{"CDBase", "HOLIDAY.cd"}));
    catalog.addDirectory(music, disc, "");
    catalog.deleteKey(music);
    EXPECT_EQ(entryNames(store()), std::vector<std::string>{"CDBase"});
    EXPECT_EQ(entry(store(), "CDBase"), "Soft\r\nVideo\r\n");
}

TEST_F(CdCatalogTest, BackupAndRestore) {
    catalog.addDirectory(music, makeDisc("HOLIDAY"), "");
    ui.inputs = {"old.qcb", "mybackup", "../escape.txt", "mybackup"};
    for (int i = 0; i < 4; ++i) {
        catalog.makeBackup();
    }
    EXPECT_EQ(readFile(data / "old.qcbb"), readFile(store()));
    EXPECT_EQ(readFile(data / "mybackup.qcbb"), readFile(store()));
    EXPECT_TRUE(fs::exists(data / "escape.qcbb"));
    EXPECT_EQ(ui.prompts[0], "CD catalog|Backup file name|CDBaseBackup");
    ASSERT_EQ(ui.messages.size(), 1u);  // the second "mybackup" is not written over

    catalog.deleteKey(catalog.tree().roots()[0].get());
    writeFile(data / "junk.qcbb", "not a store");
    const std::string before = readFile(store());
    ui.openFiles = {{data / "junk.qcbb"}, {data / "old.qcbb"}};
    catalog.restoreFromBackup();
    EXPECT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(readFile(store()), before);
    EXPECT_EQ(ui.dialogs[0].filter, "Tarnu CD Base Backup (*.qcbb)|*.qcbb|All Files (*.*)|*.*");

    catalog.restoreFromBackup();
    EXPECT_EQ(catalog.tree().roots()[0]->children()[0]->text(), "HOLIDAY");
    EXPECT_EQ(entryNames(store()).size(), 2u);
}

TEST_F(CdCatalogTest, DamagedStoreFailsWithTheArchiveMessage) {
    writeFile(store(), std::string(100, 'x'));
    EXPECT_THROW(catalog.showPage(), Error);
    EXPECT_TRUE(catalog.tree().empty());
    EXPECT_EQ(readFile(store()), std::string(100, 'x'));
}

TEST_F(CdCatalogTest, SearchStepsThroughMatchesAndCanBeStopped) {
    const std::string disc = makeDisc("HOLIDAY");
    writeFile(disc + "/Docs/my.DOC", "d");
    catalog.addDirectory(music, disc, "");
    CatalogSearch search(catalog, ui);
    const auto run = [&](const char* text) {
        search.toggle(text, catalog.tree().first());
        EXPECT_EQ(search.buttonCaption(), "Stop search");
        while (search.step(1)) {
        }
        EXPECT_EQ(search.buttonCaption(), "Search");
        // A search without a match clears the status text and leaves the selection.
        const int item = catalog.selectedItem();
        return item < 0 || ui.status[kCatalogStatusPanel].empty()
                   ? std::string()
                   : catalog.selected()->text() + "|" +
                         catalog.list()[static_cast<std::size_t>(item)].caption;
    };
    EXPECT_EQ(run("doc"), "HOLIDAY|:Docs");
    EXPECT_EQ(ui.status[kCatalogStatusPanel], "Current CD: HOLIDAY");
    EXPECT_EQ(run("doc"), "Docs|my.DOC");
    EXPECT_EQ(run("doc"), "");
    EXPECT_EQ(ui.status[kCatalogStatusPanel], "");

    catalog.select(nullptr);
    search.toggle("zzz", catalog.tree().first());
    ASSERT_TRUE(search.step(1));
    search.toggle("zzz", nullptr);  // the button again: stop
    EXPECT_FALSE(search.running());
    EXPECT_FALSE(search.step(1));
    EXPECT_EQ(ui.status[kCatalogStatusPanel], "");
}

}  // namespace
}  // namespace tarnu
