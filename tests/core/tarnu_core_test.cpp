#include "core/tarnu_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "common/error.h"
#include "document/zubook_text.h"
#include "platform/instance.h"
#include "support/fake_hot_keys.h"
#include "support/fakes.h"
#include "support/program_dir.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

using testing::FakeDesktop;
using testing::FakeShell;
using testing::NoLocks;
using testing::NoPump;

// A program directory with a data pack holding the texts the start-up reads and a
// starter ZuBook.
class CoreTest : public ::testing::Test {
protected:
    CoreTest() { testing::writeProgramDir(dir, "Welcome\n  Inside\n"); }

    testing::ScratchDir dir;
    testing::FakeIcons icons;
    NoLocks locks;
    testing::FakeGlobalHotKeys keys;
    FakeDesktop desktop;
    testing::ScriptedUi ui;
    FakeShell shell;
    NoPump pump;
    AsciiCollation collation;
    std::unique_ptr<TarnuCore> core =
        std::make_unique<TarnuCore>(dir.str(), "/opt/tarnu/tarnu", collation,
                                    CorePorts{icons, locks, keys, desktop, ui, shell, pump});
};

TEST_F(CoreTest, FirstStartWritesTheDefaultZuBookAndLoadsIt) {
    auto tabs = core->createMainWindowSteps();
    EXPECT_EQ(tabs, (std::vector<std::string>{"ZuBook", "ZuShared files", "ZuData transfer"}));
    EXPECT_EQ(desktop.fileTypeFor, "/opt/tarnu/tarnu");
    EXPECT_TRUE(core->hotKeys().isRegistered(16576));

    EXPECT_FALSE(core->settingsCommandLineAndFirstZuBook({}));
    EXPECT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_TRUE(std::filesystem::exists(dir / "Default.dua"));
    EXPECT_EQ(core->document().caption(), "Tarnu - Default.dua");
    EXPECT_EQ(core->tree().nodeCount(), 2u);
    EXPECT_FALSE(desktop.integrated);  // "Integrate" is off by default
}

TEST_F(CoreTest, CommandLineSwitchesAtStart) {
    core->createMainWindowSteps();
    EXPECT_TRUE(core->settingsCommandLineAndFirstZuBook({"-boot"}));
    EXPECT_EQ(core->document().caption(), "Tarnu - Default.dua");

    std::filesystem::copy_file(dir / "starter.dua", dir / "other.dua");
    EXPECT_FALSE(core->settingsCommandLineAndFirstZuBook({"-dua", dir / "other.dua"}));
    EXPECT_EQ(core->document().caption(), "Tarnu - other.dua");

    // A switch with the wrong number of arguments is ignored.
    core->closeZuBook();
    core->settingsCommandLineAndFirstZuBook({"-dua", dir / "other.dua", "extra"});
    EXPECT_EQ(core->document().caption(), "Tarnu - Default.dua");
}

TEST_F(CoreTest, ForwardedCommandLines) {
    core->createMainWindowSteps();
    core->settingsCommandLineAndFirstZuBook({});
    std::filesystem::copy_file(dir / "starter.dua", dir / "fwd.dua");
    core->handleForwarded("-dua\r" + (dir / "fwd.dua") + std::string(1, '\0') + "junk");
    EXPECT_EQ(core->document().caption(), "Tarnu - fwd.dua");

    // No carriage return: a switch without its argument changes nothing.
    core->handleForwarded("-dua");
    EXPECT_EQ(core->document().caption(), "Tarnu - fwd.dua");
    // A relative name would mean this process's working directory: ignored.
    core->handleForwarded("-dua\rfwd.dua");
    EXPECT_EQ(core->document().caption(), "Tarnu - fwd.dua");
    // A path far beyond 255 characters arrives whole; one beyond the limit is not cut to a
    // shorter name but ignored.
    const std::string deep = std::string(200, 'a') + "/" + std::string(200, 'b');
    std::filesystem::create_directories(dir / deep);
    std::filesystem::copy_file(dir / "starter.dua", dir / (deep + "/long.dua"));
    const auto errors = ui.errors.size();
    core->handleForwarded("-dua\r" + (dir / (deep + "/long.dua")));
    EXPECT_EQ(core->document().caption(), "Tarnu - " + deep + "/long.dua");
    core->handleForwarded("-dua\r" + (dir / "fwd.dua") + std::string(kForwardedTextLimit, '/'));
    EXPECT_EQ(core->document().caption(), "Tarnu - " + deep + "/long.dua");
    EXPECT_EQ(ui.errors.size(), errors);
}

TEST_F(CoreTest, ForwardedAddsGoIntoTheOpenZuBookOnly) {
    core->createMainWindowSteps();
    testing::writeFile(dir / "a#b.txt", "x");
    std::filesystem::create_directories(dir / "folder/sub");
    testing::writeFile(dir / "folder/sub/f.txt", "x");
    core->closeZuBook();
    core->handleForwarded("-add\r" + (dir / "a#b.txt"));
    EXPECT_TRUE(core->tree().empty());  // no ZuBook open: nothing is added

    core->settingsCommandLineAndFirstZuBook({});
    Settings noQuestion = core->settings();
    noQuestion.ask = false;
    core->applyOptions(noQuestion, false);
    core->handleForwarded("-add\r" + (dir / "a#b.txt"));
    core->handleForwarded("-addf\r" + (dir / "folder"));
    EXPECT_EQ(core->document().counts().files, 2);
    EXPECT_EQ(core->document().counts().folders, 2);
    bool sawLink = false;
    core->tree().forEachInFlatOrder([&](Node* n) {
        sawLink |= n->text(kColCaption) == "a_b" && n->text(kColPath) == dir / "a#b.txt";
        return true;
    });
    EXPECT_TRUE(sawLink);
}

TEST_F(CoreTest, HotKeysShowTheProgramOrOpenTheirLink) {
    core->createMainWindowSteps();
    core->settingsCommandLineAndFirstZuBook({});
    int toggles = 0;
    core->onToggleVisibility = [&] { ++toggles; };
    Node* link = core->tree().addChild(nullptr);
    testing::writeFile(dir / "notes.txt", "n");
    core->tree().setText(link, kColPath, dir / "notes.txt");
    core->tree().setText(link, kColHotKey, "Ctrl+Alt+N");
    core->tree().setText(link, kColKind, kKindFile);
    ASSERT_NE(core->hotKeys().registerHotKey(0xC04E), 0);

    for (const auto& [id, combination] : keys.held) {
        keys.press(id, combination.first, combination.second);
    }
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{dir / "notes.txt"}));

    core->shutdown();
    EXPECT_TRUE(keys.held.empty());
    EXPECT_EQ(core->document().caption(), "Tarnu");
}

TEST_F(CoreTest, ACommentTypedWithoutMovingOnIsSavedWithItsNode) {
    core->createMainWindowSteps();
    core->settingsCommandLineAndFirstZuBook({});
    Node* first = core->tree().firstTopLevel();
    ASSERT_NE(first, nullptr);
    core->tree().select(first);
    core->comments().focusChanged(first);
    core->comments().edited("typed, never left");
    core->saveZuBook();
    EXPECT_FALSE(core->document().isModified());

    core->closeZuBook();
    ASSERT_TRUE(core->openZuBook(dir / "Default.dua"));
    EXPECT_EQ(core->tree().firstTopLevel()->text(kColComment), "typed, never left");

    // Closing asks about typed text like any other change.
    Node* again = core->tree().firstTopLevel();
    core->tree().select(again);
    core->comments().focusChanged(again);
    core->comments().edited("second thoughts");
    ui.saveChoices.push_back(SaveChoice::Cancel);
    EXPECT_FALSE(core->confirmCloseZuBook());
    EXPECT_EQ(again->text(kColComment), "second thoughts");
}

// Lets the window run: notes what the status bar showed each time.
class StatusPump : public EventPump {
public:
    explicit StatusPump(const testing::ScriptedUi& ui) : ui_(ui) {}
    void processPendingEvents() override { shown.push_back(ui_.status[1]); }
    std::vector<std::string> shown;

private:
    const testing::ScriptedUi& ui_;
};

TEST_F(CoreTest, LoadingMarksBrokenLinksWhileTheWindowRuns) {
    StatusPump windowRuns(ui);
    core.reset();
    core = std::make_unique<TarnuCore>(dir.str(), "/opt/tarnu/tarnu", collation,
                                       CorePorts{icons, locks, keys, desktop, ui, shell, windowRuns,
                                                 std::chrono::milliseconds{0}});
    core->createMainWindowSteps();
    core->settingsCommandLineAndFirstZuBook({});
    ZuTree& tree = core->tree();
    auto add = [&](const std::string& path, std::string_view kind) {
        Node* node = tree.addChild(nullptr);
        tree.setText(node, kColCaption, path);
        tree.setText(node, kColPath, path);
        tree.setText(node, kColKind, kind);
        return path;
    };
    std::set<std::string> broken = {add(dir / "gone", kKindFolder), add(dir / "sub", kKindFile),
                                    add(dir / "Default.dua", kKindFolder)};
    std::filesystem::create_directory(dir / "sub");
    add(dir.str(), kKindFolder);
    for (int i = 0; i < 300; ++i) {
        const std::string file = dir / ("f" + std::to_string(i) + ".txt");
        if (i % 3 == 0) {
            testing::writeFile(file, "x");
        } else {
            broken.insert(file);
        }
        add(file, kKindFile);
    }
    core->saveZuBook();
    core->closeZuBook();

    ASSERT_TRUE(core->openZuBook(dir / "Default.dua"));
    std::size_t links = 0;
    tree.forEachInFlatOrder([&](Node* node) {
        if (node->kind() == NodeKind::ZuFolder) {
            return true;
        }
        ++links;
        const std::string path(node->text(kColPath));
        const bool isBroken = broken.count(path) > 0;
        EXPECT_EQ(node->stateIndex(), isBroken ? kStateBroken : kStateNone) << path;
        if (isBroken) {
            EXPECT_EQ(node->imageIndex(), icons.plainFileIcon()) << path;
        } else if (node->kind() == NodeKind::Folder) {
            EXPECT_EQ(node->imageIndex(), icons.folderIcon()) << path;
        } else {
            EXPECT_GE(node->imageIndex(), 100) << path;  // its file type's icon
        }
        return true;
    });
    EXPECT_EQ(links, 304u);
    EXPECT_FALSE(core->document().isModified());
    EXPECT_TRUE(ui.errors.empty());
    // The window ran during the check and showed how far it had come; at the end, nothing.
    EXPECT_NE(std::find(windowRuns.shown.begin(), windowRuns.shown.end(),
                        "Checking links: 150 of " + std::to_string(tree.nodeCount())),
              windowRuns.shown.end());
    EXPECT_EQ(ui.status[1], "");
}

TEST_F(CoreTest, WithoutDataPackStartUpStopsAtTheFirstLook) {
    std::filesystem::remove(dir / "Data/ZuData.dta");
    EXPECT_THROW(core->createMainWindowSteps(), DataPackMissing);
}

// Installed mode: the program directory of CoreTest holds the shipped files, which are only
// read; the user's own copy takes every write.
class InstalledCoreTest : public CoreTest {
protected:
    std::unique_ptr<TarnuCore> start(const std::string& userDataDir) {
        return std::make_unique<TarnuCore>(shipped.str(), userDataDir, "/usr/bin/tarnu", collation,
                                           CorePorts{icons, locks, keys, desktop, ui, shell, pump});
    }

    const testing::ScratchDir& shipped = dir;
    testing::ScratchDir home;
};

TEST_F(InstalledCoreTest, FirstStartCopiesTheDataPackAndWritesOnlyUnderTheUserDataDir) {
    const std::string user = home / ".local/share/tarnu";
    const std::string shippedPack = testing::readFile(shipped / "Data/ZuData.dta");
    {
        auto core = start(user);
        core->createMainWindowSteps();
        core->settingsCommandLineAndFirstZuBook({});
        EXPECT_TRUE(ui.errors.empty()) << ui.errors.front();
        EXPECT_EQ(core->document().caption(), "Tarnu - Default.dua");
        Settings changed = core->settings();
        changed.saveDir = "books";
        core->applyOptions(changed, false);
        EXPECT_EQ(std::filesystem::path(core->placementFile()).parent_path(), user + "/Data");
        core->shutdown();
    }
    EXPECT_TRUE(std::filesystem::exists(user + "/Default.dua"));
    EXPECT_FALSE(std::filesystem::exists(shipped / "Default.dua"));
    EXPECT_EQ(testing::readFile(shipped / "Data/ZuData.dta"), shippedPack);
    EXPECT_NE(testing::readFile(user + "/Data/ZuData.dta"), shippedPack) << "settings kept";

    // The next start reads this user's settings, not the shipped ones.
    auto again = start(user);
    again->createMainWindowSteps();
    again->settingsCommandLineAndFirstZuBook({});
    EXPECT_EQ(again->settings().saveDir, "books");
}

TEST_F(InstalledCoreTest, DamagedUserDataPackIsRestoredOnlyWhenTheUserAgrees) {
    const std::string user = home / "tarnu";
    start(user)->createMainWindowSteps();
    const std::string damaged = "TZLB broken";
    testing::writeFile(user + "/Data/ZuData.dta", damaged);

    ui.confirmations = {false};
    EXPECT_THROW(start(user)->createMainWindowSteps(), DataPackMissing);
    EXPECT_EQ(testing::readFile(user + "/Data/ZuData.dta"), damaged) << "left as it was";

    ui.confirmations = {true};
    auto core = start(user);
    EXPECT_EQ(core->createMainWindowSteps().at(0), "ZuBook");
    EXPECT_EQ(testing::readFile(user + "/Data/ZuData.dta.damaged"), damaged);
    EXPECT_EQ(testing::readFile(user + "/Data/ZuData.dta"),
              testing::readFile(shipped / "Data/ZuData.dta"));
}

TEST_F(InstalledCoreTest, WhatCannotBeMadeEndsTheStartNamingIt) {
    testing::writeFile(home / "file", "x");
    const std::string user = home / "file/tarnu";
    try {
        start(user)->createMainWindowSteps();
        ADD_FAILURE() << "no error";
    } catch (const DataPackMissing& e) {
        EXPECT_NE(std::string(e.what()).find(user + "/Data"), std::string::npos) << e.what();
    }
    std::filesystem::remove(shipped / "Data/ZuData.dta");
    try {
        start(home / "tarnu")->createMainWindowSteps();
        ADD_FAILURE() << "no error";
    } catch (const DataPackMissing& e) {
        EXPECT_NE(std::string(e.what()).find(shipped / "Data/ZuData.dta"), std::string::npos)
            << "the shipped file is missing, not the user's directory: " << e.what();
    }
    try {
        start("")->createMainWindowSteps();
        ADD_FAILURE() << "no error";
    } catch (const DataPackMissing& e) {
        EXPECT_NE(std::string(e.what()).find("HOME"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace tarnu
