#include "plugins/plugin_library.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "plugin_fixture.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

std::string hexOf(const unsigned char* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

class PlugInLibrariesTest : public testing::PlugInFixture {
protected:
    // A manager whose shipped plug-ins are those in dir.
    std::unique_ptr<PlugInManager> managerFor(const std::string& dir) {
        auto manager = std::make_unique<PlugInManager>(PlugInManagerParts{
            tree, icons, locks, ui, dir, userData.str(), [this] { return focused; }});
        manager->start();
        return manager;
    }
    // The probe's answers, one line each, after it ran the script.
    std::vector<std::string> runProbe(PlugInManager& manager, const std::string& script) {
        writeFile(userData / "probe.in", script);
        EXPECT_TRUE(manager.runAction("probe").ran());
        std::vector<std::string> lines;
        std::stringstream log(readFile(userData / "probe.log"));
        for (std::string line; std::getline(log, line);) {
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(PlugInLibrariesTest, EveryCommandWorksThroughARealPlugIn) {
    auto manager = managerFor(TARNU_PROBE_DIR);
    tree.select(b);
    const ItemBytes expected = testing::item("b.txt", files / "b.txt", ":Docs\\", "File");
    ItemBytes noMark = expected;
    noMark[kItemNoMark] = 1;
    const std::string b = files / "b.txt";
    const std::vector<std::string> log =
        runProbe(*manager,
                 "version\ncount\nget 0\nget 1\n"
                 "set x|/x||File|1|7\nset renamed|" +
                     b +
                     "||File|1|0\n"
                     "add new.txt|/n/new.txt|Docs\\Work\\|File|0\ndel deep.txt||:Docs\\:Work\\\n"
                     "below :Docs\\\nunbelow :Docs\\\nbelow Nope\nall\nnone\n"
                     "select *.txt|1|1|0|0|0|2\nunselect new*|0|0|0|0|0|0\nother\n");
    const std::vector<std::string> want = {
        "version 03312e32",
        "count 1",
        "get " + hexOf(noMark.data(), noMark.size()),
        "get " + std::string(2 * kItemRecordSize, '0'),
        "set -1 kept",
        "set 0 kept",
        "add 0 kept",
        "del 0 kept",
        "below 0 kept",
        "unbelow 0 kept",
        "below -1 kept",
        "all 0",
        "none 0",
        "select 0 kept",
        "unselect 0 kept",
        "other 0 0",
    };
    EXPECT_EQ(log, want);
    EXPECT_EQ(this->b->text(kColCaption), "renamed");
    EXPECT_EQ(this->b->text(kColLock), "Yes");
    ASSERT_EQ(tree.childCount(work), 1u);
    EXPECT_EQ(tree.children(work).front()->text(kColPath), "/n/new.txt");
    EXPECT_EQ(tree.selectionCount(), 0u);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(PlugInLibrariesTest, NamesThatAreNoPlainNamesAndBrokenLibrariesNeverRun) {
    const testing::ScratchDir lib;
    ::chmod(lib.str().c_str(), 0755);
    for (const char* name : {"Probe.qfp", "NoExports.qfp", "OldAbi.qfp"}) {
        fs::copy_file(fs::path(TARNU_PROBE_DIR) / name, lib / name);
    }
    writeFile(lib / "Junk.qfp", "not a library");
    fs::create_directories(userData / "plugins/sub");
    fs::copy_file(fs::path(TARNU_PROBE_DIR) / "Probe.qfp", userData / "plugins/sub/Probe.qfp");
    auto manager = managerFor(lib.str());
    writeFile(userData / "probe.in", "count\n");
    using Outcome = PlugInCall::Outcome;
    for (const std::string& name : std::vector<std::string>{
             "../Probe", "sub/Probe", "sub\\Probe", "..", "", std::string("Probe\0x", 7), "Nope"}) {
        EXPECT_EQ(manager->runAction(name).outcome, Outcome::NotFound) << name;
    }
    EXPECT_EQ(manager->runAction("Junk").outcome, Outcome::LoadFailed);
    EXPECT_EQ(manager->runAction("NoExports").outcome, Outcome::NoExport);
    EXPECT_EQ(manager->runAction("OldAbi").outcome, Outcome::WrongAbi);
    EXPECT_FALSE(fs::exists(userData / "probe.log"));

    // Others may write the directory: refused, and said once.
    ::chmod(lib.str().c_str(), 0777);
    EXPECT_EQ(manager->runAction("PROBE").outcome, Outcome::Unsafe);
    EXPECT_EQ(manager->runAction("probe").outcome, Outcome::Unsafe);
    EXPECT_EQ(ui.errors.size(), 1u);
    ::chmod(lib.str().c_str(), 0755);
    ::chmod((lib / "Probe.qfp").c_str(), 0666);
    EXPECT_EQ(manager->runAction("probe").outcome, Outcome::Unsafe);
    ::chmod((lib / "Probe.qfp").c_str(), 0755);
    EXPECT_FALSE(fs::exists(userData / "probe.log"));

    // An exception thrown through the plug-in's C export is caught and shown.
    writeFile(userData / "probe.in", "count\nthrow the probe gave up\n");
    EXPECT_EQ(manager->runAction("probe").outcome, Outcome::Raised);
    EXPECT_EQ(ui.errors.back(), "the probe gave up");
    EXPECT_EQ(readFile(userData / "probe.log"), "count 0\n");
}

TEST_F(PlugInLibrariesTest, ShippedActionsChangeTheTreeFromTheContextMenu) {
    auto manager = managerFor(TARNU_SHIPPED_PLUGIN_DIR);
    add(docs, "c.TXT", kKindFile, files / "c.TXT");
    add(docs, "d.md", kKindFile, files / "d.md");
    tree.select(b);
    EXPECT_EQ(manager->contextMenuActions(),
              (std::vector<std::string>{"Select same type", "Add folder files"}));
    manager->runContextAction("&Select same type", b);
    EXPECT_EQ(selectedCaptions(), (std::vector<std::string>{"b.txt", "c.TXT"}));

    tree.clearSelection();
    tree.select(top);
    manager->runContextAction("Add folder &files", top);
    std::vector<std::string> topLevel;
    for (const Node* node : tree.topLevel()) {
        topLevel.push_back(std::string(node->text(kColCaption)) + "=" +
                           std::string(node->text(kColPath)));
    }
    EXPECT_EQ(topLevel, (std::vector<std::string>{":Docs=", "b.txt=" + (files / "b.txt"),
                                                  "deep.txt=" + (files / "deep.txt"),
                                                  "top.txt=" + (files / "top.txt")}));
    EXPECT_TRUE(ui.errors.empty());
}

}  // namespace
}  // namespace tarnu
