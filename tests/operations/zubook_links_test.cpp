#include "operations/zubook_links.h"

#include <gtest/gtest.h>

#include "document/zubook.h"
#include "platform/linux/linux_file_locks.h"
#include "support/fake_hot_keys.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

// A ZuBook saved with a locked, hot-keyed link comes back locked and registered, and gives
// both up when its node goes.
class ZuBookLinksTest : public ::testing::Test {
protected:
    Node* addFile(std::string_view caption, const std::string& path) {
        Node* n = tree.addChild(nullptr);
        tree.setText(n, kColCaption, caption);
        tree.setText(n, kColPath, path);
        tree.setText(n, kColLock, "No");
        tree.setText(n, kColKind, kKindFile);
        return n;
    }

    Node* findChildByCaption(std::string_view caption) {
        for (Node* n : tree.topLevel()) {
            if (n->text(kColCaption) == caption) {
                return n;
            }
        }
        return nullptr;
    }

    testing::ScratchDir dir;
    testing::FakeIcons iconPort;
    testing::FakeMessages messages;
    testing::FakeGlobalHotKeys keys;
    testing::ScriptedUi ui;
    LinuxFileLocks fileLocks;
    AsciiCollation collation;
    ZuTree tree{collation};
    IconCache icons{iconPort};
    TZLBArchive archive;
    HotFolderTable hotFolders;
    SharedTree shared{collation};
    LinkLocks locks{fileLocks};
    THotKeyManager hotKeys{keys};
    ZuBookLinks links{tree, icons, locks, hotKeys, hotFolders};
    ZuBookDocument doc{
        ZuBookParts{tree, icons, archive, hotFolders, shared, links, ui, messages, dir.str()}};
};

TEST_F(ZuBookLinksTest, LoadRestoresLocksAndHotKeysAndDeletionReleasesThem) {
    testing::writeFile(dir / "locked.txt", "data");
    Node* locked = addFile("locked", dir / "locked.txt");
    aLockFilesExecute(tree, {locked}, locks, [] {});
    ASSERT_TRUE(LinkLocks::holdsLock(*locked));
    ASSERT_NE(hotKeys.registerHotKey(0xC041), 0);
    locked->ensureLinkRecord().hotKey = 0xC041;
    tree.setText(locked, kColHotKey, "Ctrl+Alt+A");
    Node* folder = tree.addChild(nullptr);
    tree.setText(folder, kColCaption, ":Hot");
    tree.setText(folder, kColKind, kKindZuFolder);
    hotFolders.bind(tree, folder, 0);
    ASSERT_TRUE(doc.save(dir / "book.dua"));

    doc.close();  // deleting every node gives everything back
    EXPECT_FALSE(fileLocks.isLockedByAnyone(dir / "locked.txt"));
    EXPECT_FALSE(hotKeys.isRegistered(0xC041));
    EXPECT_EQ(hotFolders.slot(0), nullptr);

    ASSERT_TRUE(doc.load(dir / "book.dua"));
    Node* back = findChildByCaption("locked");
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(LinkLocks::holdsLock(*back));
    EXPECT_TRUE(fileLocks.isLockedByAnyone(dir / "locked.txt"));
    EXPECT_TRUE(hotKeys.isRegistered(0xC041));
    EXPECT_EQ(back->stateIndex(), kStateNone);  // the link check clears the lock mark
    EXPECT_EQ(back->text(kColLock), "Yes");
    ASSERT_NE(hotFolders.slot(0), nullptr);

    tree.deleteNode(back);
    EXPECT_FALSE(fileLocks.isLockedByAnyone(dir / "locked.txt"));
    EXPECT_FALSE(hotKeys.isRegistered(0xC041));
    tree.deleteNode(hotFolders.slot(0));
    EXPECT_EQ(hotFolders.slot(0), nullptr);
}

TEST_F(ZuBookLinksTest, ALinkWhoseFileIsGoneLoadsUnlockedAndMarkedBroken) {
    testing::writeFile(dir / "gone.txt", "data");
    Node* link = addFile("gone", dir / "gone.txt");
    aLockFilesExecute(tree, {link}, locks, [] {});
    ASSERT_TRUE(doc.save(dir / "book.dua"));
    doc.close();
    std::remove((dir / "gone.txt").c_str());
    ASSERT_TRUE(doc.load(dir / "book.dua"));
    Node* back = tree.firstTopLevel();
    EXPECT_FALSE(LinkLocks::holdsLock(*back));
    EXPECT_EQ(back->stateIndex(), kStateBroken);
    EXPECT_EQ(back->imageIndex(), iconPort.plainFileIcon());
}

}  // namespace
}  // namespace tarnu
