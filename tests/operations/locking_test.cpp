#include "operations/locking.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tarnu {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string pattern = fs::temp_directory_path() / "tarnu-locking-XXXXXX";
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

// Hands out handles from 100 up and remembers which are held.
class FakeFileLocks : public FileLocks {
public:
    LockHandle lock(const std::string& path) override {
        locked.push_back(path);
        if (refused.contains(path)) {
            return kNoLock;
        }
        held[next] = path;
        return next++;
    }
    bool unlock(LockHandle handle) override {
        if (unlockFails || held.erase(handle) == 0) {
            return false;
        }
        return true;
    }
    bool isLockedByAnyone(const std::string&) override { return false; }  // unused here

    std::map<LockHandle, std::string> held;
    std::vector<std::string> locked;  // every path asked for, in order
    std::set<std::string> refused;
    bool unlockFails = false;
    LockHandle next = 100;
};

class FixedIcons : public Icons {
public:
    int folderIcon() override { return kFolder; }
    int plainFileIcon() override { return kPlain; }
    int fileIcon(const std::string&) override { return kText; }
    static constexpr int kFolder = 1;
    static constexpr int kPlain = 2;
    static constexpr int kText = 7;
};

class LockingTest : public ::testing::Test {
protected:
    LockingTest() {
        box = add(nullptr, ":Box", "", kKindZuFolder, "");
        fileA = add(box, "a", makeFile("a.txt"), kKindFile, "No");
        fileB = add(box, "b", makeFile("b.txt"), kKindFile, "No");
        missing = add(box, "gone", dir / "gone.txt", kKindFile, "No");
        fs::create_directory(dir / "docs");
        folder = add(box, ":docs", dir / "docs", kKindFolder, "");
        sub = add(box, ":Sub", "", kKindZuFolder, "");
    }

    std::string makeFile(const std::string& name) {
        std::ofstream(dir / name) << "text";
        return dir / name;
    }
    Node* add(Node* parent, std::string_view caption, const std::string& path,
              std::string_view kind, std::string_view lock) {
        Node* n = tree.addChild(parent);
        tree.setText(n, kColCaption, caption);
        tree.setText(n, kColPath, path);
        tree.setText(n, kColLock, lock);
        tree.setText(n, kColKind, kind);
        return n;
    }
    void lock(std::vector<Node*> nodes) { aLockFilesExecute(tree, nodes, links, countSave); }
    void unlock(std::vector<Node*> nodes) { aUnlockFilesExecute(tree, nodes, links, countSave); }
    static LockHandle handleOf(const Node* n) {
        return n->linkRecord() ? n->linkRecord()->lockHandle : kNoLock;
    }

    TempDir dir;
    AsciiCollation collation;
    ZuTree tree{collation};
    FakeFileLocks port;
    LinkLocks links{port};
    int saves = 0;
    AutoSave countSave = [this] { ++saves; };
    Node* box;
    Node *fileA, *fileB, *missing, *folder, *sub;
};

TEST_F(LockingTest, LockFilesLocksOnlyExistingFileLinksThatShowNo) {
    lock(tree.children(box));
    EXPECT_EQ(port.locked, (std::vector<std::string>{dir / "a.txt", dir / "b.txt"}));
    for (Node* n : {fileA, fileB}) {
        EXPECT_EQ(n->text(kColLock), "Yes");
        EXPECT_EQ(n->stateIndex(), kStateLocked);
        EXPECT_NE(handleOf(n), kNoLock);
    }
    EXPECT_NE(handleOf(fileA), handleOf(fileB));
    EXPECT_EQ(missing->text(kColLock), "No");
    EXPECT_EQ(missing->linkRecord(), nullptr);
    for (Node* n : {folder, sub}) {
        EXPECT_EQ(n->text(kColLock), "");
        EXPECT_EQ(n->stateIndex(), kStateNone);
        EXPECT_EQ(n->linkRecord(), nullptr);
    }
    EXPECT_EQ(saves, 5);  // once per selected node
}

TEST_F(LockingTest, SecondLockSkipsALinkThatShowsYes) {
    lock({fileA});
    LockHandle first = handleOf(fileA);
    lock({fileA});
    EXPECT_EQ(port.locked.size(), 1u);
    EXPECT_EQ(handleOf(fileA), first);
}

TEST_F(LockingTest, AFileThatCannotBeLockedStaysNo) {
    port.refused.insert(dir / "b.txt");
    lock({fileA, fileB});
    EXPECT_EQ(fileA->text(kColLock), "Yes");
    EXPECT_EQ(fileB->text(kColLock), "No");
    EXPECT_EQ(fileB->stateIndex(), kStateNone);
    EXPECT_EQ(fileB->linkRecord(), nullptr);
}

TEST_F(LockingTest, UnlockReleasesAndFreesRecordsLeftEmpty) {
    lock({fileA, fileB});
    fileB->linkRecord()->hotKey = 0xC041;
    saves = 0;
    unlock({fileA, fileB, folder});
    EXPECT_TRUE(port.held.empty());
    for (Node* n : {fileA, fileB}) {
        EXPECT_EQ(n->text(kColLock), "No");
        EXPECT_EQ(n->stateIndex(), kStateNone);
    }
    EXPECT_EQ(fileA->linkRecord(), nullptr);
    ASSERT_NE(fileB->linkRecord(), nullptr);  // still carries its hot key
    EXPECT_EQ(fileB->linkRecord()->lockHandle, kNoLock);
    EXPECT_EQ(saves, 3);
}

TEST_F(LockingTest, FailedUnlockKeepsTheHandleAndALaterLockAdoptsIt) {
    lock({fileA});
    LockHandle handle = handleOf(fileA);
    port.unlockFails = true;
    unlock({fileA});
    EXPECT_EQ(fileA->text(kColLock), "No");
    EXPECT_EQ(fileA->stateIndex(), kStateNone);
    EXPECT_EQ(handleOf(fileA), handle);
    EXPECT_TRUE(port.held.contains(handle));

    port.unlockFails = false;
    lock({fileA});
    EXPECT_EQ(port.locked.size(), 1u);  // no second descriptor
    EXPECT_EQ(fileA->text(kColLock), "Yes");
    unlock({fileA});
    EXPECT_TRUE(port.held.empty());
    EXPECT_EQ(fileA->linkRecord(), nullptr);
}

TEST_F(LockingTest, LinksWhoseFilesAreGoneAreSkippedByUnlock) {
    lock({fileA});
    fs::remove(dir / "a.txt");
    unlock({fileA});
    EXPECT_EQ(fileA->text(kColLock), "Yes");
    EXPECT_EQ(fileA->stateIndex(), kStateLocked);
    EXPECT_EQ(port.held.size(), 1u);
}

TEST_F(LockingTest, TakeReleaseAndFreeAreSeparateSteps) {
    links.takeLock(*fileA);
    ASSERT_TRUE(LinkLocks::holdsLock(*fileA));
    EXPECT_EQ(fileA->text(kColLock), "No");  // columns are the caller's business
    port.refused.insert(dir / "b.txt");
    links.takeLock(*fileB);
    EXPECT_EQ(fileB->linkRecord(), nullptr);

    fileA->linkRecord()->hotKey = 0x4041;
    links.releaseLock(*fileA);
    EXPECT_FALSE(LinkLocks::holdsLock(*fileA));
    freeLinkRecordIfEmpty(*fileA);
    ASSERT_NE(fileA->linkRecord(), nullptr);  // still carries its hot key
    fileA->linkRecord()->lockHandle = 0;      // descriptor 0 is a real handle
    fileA->linkRecord()->hotKey = 0;
    freeLinkRecordIfEmpty(*fileA);
    ASSERT_NE(fileA->linkRecord(), nullptr);
    fileA->linkRecord()->lockHandle = kNoLock;
    freeLinkRecordIfEmpty(*fileA);
    EXPECT_EQ(fileA->linkRecord(), nullptr);
    EXPECT_TRUE(port.held.empty());
}

class CheckLinksTest : public LockingTest {
protected:
    FixedIcons icons;
    IconCache cache{icons};
};

TEST_F(CheckLinksTest, FolderMovedAwayIsBrokenAndComesBackWithItsIcon) {
    checkLinks(tree, cache);
    EXPECT_EQ(folder->stateIndex(), kStateNone);
    EXPECT_EQ(folder->imageIndex(), FixedIcons::kFolder);

    fs::rename(dir / "docs", dir / "elsewhere");
    checkLinks(tree, cache);
    EXPECT_EQ(folder->stateIndex(), kStateBroken);
    EXPECT_EQ(folder->imageIndex(), FixedIcons::kPlain);
    EXPECT_EQ(folder->selectedImageIndex(), FixedIcons::kPlain);

    fs::rename(dir / "elsewhere", dir / "docs");
    checkLinks(tree, cache);
    EXPECT_EQ(folder->stateIndex(), kStateNone);
    EXPECT_EQ(folder->imageIndex(), FixedIcons::kFolder);
}

TEST_F(CheckLinksTest, FileLinksMustNameExistingFiles) {
    Node* dirAsFile = add(box, "docs", dir / "docs", kKindFile, "No");
    Node* fileAsFolder = add(box, ":a", dir / "a.txt", kKindFolder, "");
    sub->setStateIndex(kStateBroken);  // a ZuFolder's mark is left alone
    checkLinks(tree, cache);
    EXPECT_EQ(fileA->stateIndex(), kStateNone);
    EXPECT_EQ(fileA->imageIndex(), FixedIcons::kText);
    EXPECT_EQ(missing->stateIndex(), kStateBroken);
    EXPECT_EQ(missing->imageIndex(), FixedIcons::kPlain);
    EXPECT_EQ(dirAsFile->stateIndex(), kStateBroken);
    EXPECT_EQ(fileAsFolder->stateIndex(), kStateBroken);
    EXPECT_EQ(sub->stateIndex(), kStateBroken);
    EXPECT_EQ(sub->imageIndex(), FixedIcons::kPlain);
    EXPECT_EQ(box->stateIndex(), kStateNone);
    EXPECT_EQ(box->imageIndex(), FixedIcons::kFolder);
    EXPECT_EQ(missing->text(kColLock), "No");  // no column changes
}

TEST_F(CheckLinksTest, CheckRemovesTheLockMarkButTheFileStaysLocked) {
    lock({fileA});
    saves = 0;
    checkLinks(tree, cache);
    EXPECT_EQ(fileA->stateIndex(), kStateNone);
    EXPECT_EQ(fileA->text(kColLock), "Yes");
    EXPECT_TRUE(LinkLocks::holdsLock(*fileA));
    EXPECT_EQ(port.held.size(), 1u);
    EXPECT_EQ(saves, 0);
    // Still "Yes", so it can be unlocked.
    unlock({fileA});
    EXPECT_TRUE(port.held.empty());
}

}  // namespace
}  // namespace tarnu
