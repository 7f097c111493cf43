// Opening links, the comment panel's rules, the paced lock and check runs, and the hot-key
// commands, driven without widgets.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "operations/hotkey_commands.h"
#include "operations/link_comments.h"
#include "operations/link_opening.h"
#include "operations/link_scans.h"
#include "support/fake_hot_keys.h"
#include "support/fakes.h"
#include "support/program_dir.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

class CountingLocks : public FileLocks {
public:
    LockHandle lock(const std::string& path) override {
        asked.push_back(path);
        return next++;
    }
    bool unlock(LockHandle) override { return true; }
    bool isLockedByAnyone(const std::string&) override { return false; }
    std::vector<std::string> asked;
    LockHandle next = 100;
};

// Runs a callback each time the command lets the window run.
class CallbackPump : public EventPump {
public:
    void processPendingEvents() override {
        ++runs;
        if (during) {
            during();
        }
    }
    std::function<void()> during;
    int runs = 0;
};

class LinkCommandsTest : public ::testing::Test {
protected:
    Node* add(Node* parent, std::string_view kind, const std::string& path) {
        Node* n = tree.addChild(parent);
        tree.setText(n, kColCaption, path);
        tree.setText(n, kColPath, path);
        tree.setText(n, kColLock, kind == kKindFile ? "No" : "");
        tree.setText(n, kColKind, kind);
        return n;
    }
    std::string file(const std::string& name) {
        std::ofstream(dir / name) << "text";
        return dir / name;
    }
    std::string fifo(const std::string& name) {
        ::mkfifo((dir / name).c_str(), 0600);
        return dir / name;
    }
    void focusOn(Node* node) {
        tree.clearSelection();
        tree.select(node);
        comments.focusChanged(node);
    }

    testing::ScratchDir dir;
    AsciiCollation collation;
    ZuTree tree{collation};
    testing::ScriptedUi ui;
    testing::FakeShell shell;
    LinkOpener opener{shell, ui};
    LinkComments comments{tree};
};

TEST_F(LinkCommandsTest, OpeningTellsWhatCannotBeOpenedAndNeverHandsOverAPipe) {
    const std::string there = file("a.txt");
    const std::string pipe = fifo("pipe");
    EXPECT_TRUE(opener.shellOpen(there));
    EXPECT_FALSE(opener.shellOpen(dir / "gone.txt"));
    EXPECT_FALSE(opener.shellOpen(pipe));
    shell.answers = false;
    EXPECT_FALSE(opener.shellOpen(there));
    EXPECT_EQ(shell.opened, (std::vector<std::string>{there, there}));
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[0], "Tarnu cannot open \"" + dir / "gone.txt" + "\": it does not exist.");
    EXPECT_NE(ui.messages[1].find("\"" + pipe + "\""), std::string::npos);
    EXPECT_EQ(ui.messages[2], "No program could open \"" + there + "\".");

    EXPECT_EQ(extensionOf("/x/archive.tar.gz"), "gz");
    EXPECT_EQ(extensionOf("/x.d/README"), "");
}

TEST_F(LinkCommandsTest, ADesktopThatFindsNoProgramLaterIsToldOfNamingThePath) {
    const std::string there = file("a.xyz");
    EXPECT_TRUE(opener.shellOpen(there));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(shell.lateFailures.size(), 1u);
    shell.lateFailures[0]();
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"No program could open \"" + there + "\"."}));

    // A report that arrives after its opener is gone finds nobody to tell.
    {
        LinkOpener shortLived{shell, ui};
        EXPECT_TRUE(shortLived.shellOpen(there));
    }
    shell.lateFailures.back()();
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(LinkCommandsTest, DoubleClickExpandsFoldersAndAsksTheFileTypeFirst) {
    Node* folder = add(nullptr, kKindFolder, dir.str());
    Node* zuFolder = add(nullptr, kKindZuFolder, "");
    Node* link = add(nullptr, kKindFile, file("song.mp3"));
    opener.doubleClick(tree, folder);
    opener.doubleClick(tree, zuFolder);
    EXPECT_TRUE(folder->isExpanded());
    EXPECT_TRUE(zuFolder->isExpanded());
    opener.doubleClick(tree, folder);
    EXPECT_FALSE(folder->isExpanded());
    EXPECT_TRUE(shell.opened.empty());

    opener.doubleClick(tree, link);  // no plug-ins: the shell opens it
    std::vector<std::string> claimed;
    opener.setDefaultAction([&](std::string_view ext, const std::string& path) {
        claimed.push_back(std::string(ext) + " " + path);
        return ext == "mp3";
    });
    opener.doubleClick(tree, link);
    EXPECT_EQ(claimed, (std::vector<std::string>{"mp3 " + dir / "song.mp3"}));
    EXPECT_EQ(shell.opened, (std::vector<std::string>{dir / "song.mp3"}));

    // "Open" asks no plug-in and opens a Folder node's directory.
    opener.openItem(link);
    opener.openItem(folder);
    opener.openItem(zuFolder);
    opener.openItem(nullptr);
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{dir / "song.mp3", dir / "song.mp3", dir.str()}));
}

TEST_F(LinkCommandsTest, TypedCommentReachesTheNodeItWasTypedFor) {
    Node* a = add(nullptr, kKindFile, "/a");
    Node* b = add(nullptr, kKindFile, "/b");
    Node* c = add(nullptr, kKindFile, "/c");
    tree.setText(b, kColComment, "about b");
    int refreshed = 0;
    comments.onShownChanged = [&] { ++refreshed; };

    focusOn(a);
    comments.edited("about a");
    // Several selected: the focus moves, the panel stays with a.
    tree.select(b);
    comments.focusChanged(b);
    EXPECT_EQ(a->text(kColComment), "");
    EXPECT_EQ(comments.text(), "about a");

    focusOn(b);
    EXPECT_EQ(a->text(kColComment), "about a");
    EXPECT_EQ(b->text(kColComment), "about b");
    EXPECT_EQ(comments.text(), "about b");
    EXPECT_EQ(refreshed, 2);

    // Typed and stored without moving on (what a save does first).
    comments.edited("more about b");
    comments.store();
    EXPECT_EQ(b->text(kColComment), "more about b");

    // The node goes with its unsaved text; nothing lands elsewhere.
    focusOn(c);
    comments.edited("about c");
    tree.deleteNode(c);
    EXPECT_EQ(comments.owner(), nullptr);
    EXPECT_EQ(comments.text(), "");
    comments.store();
    focusOn(a);
    EXPECT_EQ(a->text(kColComment), "about a");
    EXPECT_EQ(b->text(kColComment), "more about b");
}

class LinkScansTest : public LinkCommandsTest {
protected:
    CountingLocks port;
    LinkLocks locks{port};
    testing::FakeIcons iconPort;
    IconCache icons{iconPort};
    CallbackPump pump;
    TreeBusy busy;
    int saves = 0;
    LinkScans scans{LinkScanParts{tree, icons, locks, ui, pump, busy, nullptr,
                                  std::chrono::milliseconds(0), [this] { ++saves; }}};
};

TEST_F(LinkScansTest, LockingLetsTheWindowRunAndSkipsWhatIsNoPlainFile) {
    Node* plain = add(nullptr, kKindFile, file("a.txt"));
    Node* pipe = add(nullptr, kKindFile, fifo("pipe"));
    Node* gone = add(nullptr, kKindFile, dir / "gone.txt");
    Node* dirAsFile = add(nullptr, kKindFile, dir.str());
    std::vector<std::string> shown;
    pump.during = [&] {
        shown.push_back(ui.status[LinkScans::kProgressPanel]);
        EXPECT_TRUE(busy.busy());   // nothing may delete the nodes meanwhile
        scans.aLockFilesExecute();  // a second run inside the first is refused
    };
    for (Node* n : {plain, pipe, gone, dirAsFile}) {
        tree.select(n);
    }
    scans.aLockFilesExecute();
    EXPECT_EQ(port.asked, (std::vector<std::string>{dir / "a.txt"}));
    EXPECT_EQ(plain->text(kColLock), "Yes");
    for (Node* n : {pipe, gone, dirAsFile}) {
        EXPECT_EQ(n->text(kColLock), "No");
        EXPECT_EQ(n->linkRecord(), nullptr);
    }
    EXPECT_EQ(saves, 1);  // only the node that changed
    EXPECT_EQ(shown.front(), "Locking files: 1 of 4");
    EXPECT_EQ(shown.back(), "Locking files: 4 of 4");
    EXPECT_EQ(ui.status[LinkScans::kProgressPanel], "");
    EXPECT_FALSE(busy.busy());

    pump.during = nullptr;
    scans.aUnlockFilesExecute();
    EXPECT_EQ(plain->text(kColLock), "No");
    EXPECT_EQ(plain->linkRecord(), nullptr);
    EXPECT_EQ(saves, 2);
}

TEST_F(LinkScansTest, CheckMarksMissingTargetsAndStopsWhenTheProgramCloses) {
    Node* pipe = add(nullptr, kKindFile, fifo("pipe"));
    Node* gone = add(nullptr, kKindFile, dir / "gone.txt");
    Node* dirAsFile = add(nullptr, kKindFile, dir.str());
    Node* goneDir = add(nullptr, kKindFolder, dir / "nowhere");
    scans.aCheckLinksExecute();
    EXPECT_EQ(pipe->stateIndex(), kStateNone);
    for (Node* n : {gone, dirAsFile, goneDir}) {
        EXPECT_EQ(n->stateIndex(), kStateBroken);
    }

    // Nodes added by a command that ran meanwhile are not walked into; a stop ends the run.
    int visits = 0;
    pump.during = [&] {
        if (++visits == 1) {
            add(nullptr, kKindFile, dir / "late.txt");
            busy.requestStop();
        }
    };
    tree.setStateIndex(gone, kStateNone);
    scans.aCheckLinksExecute();
    EXPECT_EQ(visits, 1);
    EXPECT_EQ(gone->stateIndex(), kStateNone);  // after the stop
}

class HotKeyCommandsTest : public LinkCommandsTest {
protected:
    HotKeyCommandsTest() {
        a = add(nullptr, kKindFile, file("a.txt"));
        b = add(nullptr, kKindFile, file("b.txt"));
    }
    // The dialog, pressing "Set" with each value in turn; records whether it closed.
    HotKeyCommands::Dialog pressSet(std::vector<std::uint32_t> values) {
        return [this, values](std::uint32_t initial, const HotKeyCommands::SetFunction& set) {
            initials.push_back(initial);
            for (std::uint32_t v : values) {
                closed.push_back(set(v));
            }
        };
    }
    std::uint16_t stored(const Node* n) const {
        return n->linkRecord() ? n->linkRecord()->hotKey : 0;
    }

    testing::FakeGlobalHotKeys keys;
    THotKeyManager manager{keys};
    HotKeyText text;
    TreeBusy busy;
    int saves = 0;
    bool x11 = true;
    HotKeyCommands commands{HotKeyParts{tree, manager, text, opener, ui, busy, [this] { ++saves; },
                                        [this] { return x11; }}};
    std::vector<std::uint32_t> initials;
    std::vector<bool> closed;
    Node *a, *b;
};

TEST_F(HotKeyCommandsTest, ControlTakesAltWhereAModifierIsMissing) {
    EXPECT_EQ(hotKeyControlValue(0x41), 0x8041u);
    EXPECT_EQ(hotKeyControlValue(0x2041), 0x8041u);
    EXPECT_EQ(hotKeyControlValue(0x6041), 0x6041u);
    EXPECT_EQ(hotKeyControlValue(0xC041), 0xC041u);
    EXPECT_EQ(hotKeyControlValue(0), 0u);
}

TEST_F(HotKeyCommandsTest, SetReplaceAndDeleteKeepColumnRecordAndGrabTogether) {
    commands.aSetHotKeyExecute(a, pressSet({0, 0xC041, 0xC041}));
    EXPECT_EQ(initials, (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(closed, (std::vector<bool>{false, true, false}));  // 0 and the same key stay open
    EXPECT_EQ(a->text(kColHotKey), "Ctrl+Alt+A");
    EXPECT_EQ(stored(a), 0xC041);
    EXPECT_TRUE(manager.isRegistered(0xC041));

    commands.aSetHotKeyExecute(a, pressSet({0xC042}));
    EXPECT_EQ(initials.back(), 0xC041u);
    EXPECT_EQ(a->text(kColHotKey), "Ctrl+Alt+B");
    EXPECT_FALSE(manager.isRegistered(0xC041));
    EXPECT_EQ(keys.held.size(), 1u);

    commands.aUnsetHotKeyExecute(a);
    EXPECT_EQ(a->text(kColHotKey), "");
    EXPECT_EQ(a->linkRecord(), nullptr);
    EXPECT_TRUE(keys.held.empty());
    EXPECT_EQ(saves, 3);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(HotKeyCommandsTest, ARefusedKeyIsReportedAndTheOldOneKeepsWorking) {
    commands.aSetHotKeyExecute(a, pressSet({0xC041}));
    // Another program holds Ctrl+Alt+C; link a holds Ctrl+Alt+A.
    keys.heldElsewhere.insert({kModControl | kModAlt, 0x43});
    commands.aSetHotKeyExecute(a, pressSet({0xC043}));
    commands.aSetHotKeyExecute(b, pressSet({0xC041}));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0],
              "The hot key Ctrl+Alt+C is already held by another program or "
              "another link. The link keeps its hot key.");
    EXPECT_EQ(a->text(kColHotKey), "Ctrl+Alt+A");
    EXPECT_TRUE(manager.isRegistered(0xC041));
    EXPECT_EQ(b->text(kColHotKey), "");
    EXPECT_EQ(b->linkRecord(), nullptr);

    // The key opens its link; a link whose file went is reported, not handed over.
    commands.openLinkOf(0xC041);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{dir / "a.txt"}));
    std::filesystem::remove(dir / "a.txt");
    commands.openLinkOf(0xC041);
    EXPECT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(ui.messages.size(), 3u);
}

TEST_F(HotKeyCommandsTest, WithoutX11TheCommandsExplainAndZuFoldersGetNoKey) {
    Node* zuFolder = add(nullptr, kKindZuFolder, "");
    commands.aSetHotKeyExecute(zuFolder, pressSet({0xC041}));
    commands.aSetHotKeyExecute(nullptr, pressSet({0xC041}));
    EXPECT_TRUE(initials.empty());
    x11 = false;
    commands.aSetHotKeyExecute(a, pressSet({0xC041}));
    commands.aUnsetHotKeyExecute(a);
    EXPECT_TRUE(initials.empty());
    EXPECT_EQ(ui.messages, (std::vector<std::string>(2, HotKeyCommands::kNeedsX11)));
}

}  // namespace
}  // namespace tarnu
