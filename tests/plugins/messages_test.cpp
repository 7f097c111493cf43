#include "plugins/plugin_messages.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/error.h"
#include "plugin_fixture.h"

namespace tarnu {
namespace {

using testing::item;
using testing::putText;

class PlugInMessagesTest : public testing::PlugInFixture {
protected:
    std::intptr_t send(std::intptr_t command, const void* record = nullptr) {
        return messages.handle(reinterpret_cast<std::uintptr_t>(record), command);
    }
    const unsigned char* sendForBytes(std::intptr_t command, std::uintptr_t wParam = 0) {
        return reinterpret_cast<const unsigned char*>(messages.handle(wParam, command));
    }

    PlugInMessages messages{{tree, icons, locks, "/opt/tarnu", [this] { return focused; }}};
};

TEST_F(PlugInMessagesTest, AnswersComeByteExactInTheOneResultBuffer) {
    const unsigned char* version = sendForBytes(kCmdVersion);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(version), 4),
              "\x03"
              "1.2");
    const unsigned char* dir = sendForBytes(kCmdProgramDir);
    EXPECT_EQ(dir, version);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dir), 11), "\x0a/opt/tarnu");

    tree.select(b);
    tree.setText(b, kColHotKey, "Ctrl+B");
    EXPECT_EQ(send(kCmdSelectionCount), 1);
    ItemBytes expected{};
    putText(expected.data(), "b.txt");
    putText(expected.data() + 256, files / "b.txt");
    putText(expected.data() + 512, ":Docs\\");
    putText(expected.data() + 768, "File");
    putText(expected.data() + 1024, "Ctrl+B");
    expected[1281] = 1;  // neither locked nor marked missing
    const unsigned char* got = sendForBytes(kCmdGetItem, 0);
    EXPECT_EQ(got, version);
    EXPECT_EQ(std::memcmp(got, expected.data(), expected.size()), 0);

    // Locked: the flag is set and the no-mark flag cleared; a ZuFolder loses its marker.
    locks.takeLock(*b);
    tree.setText(b, kColLock, "Yes");
    tree.setStateIndex(b, kStateLocked);
    got = sendForBytes(kCmdGetItem, 0);
    EXPECT_EQ(got[1280], 1);
    EXPECT_EQ(got[1281], 0);
    tree.clearSelection();
    tree.select(work);
    got = sendForBytes(kCmdGetItem, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(got), 5), "\x04Work");

    // Past the selection: an all-zero record at the same address.
    got = sendForBytes(kCmdGetItem, 1);
    EXPECT_EQ(got, version);
    EXPECT_TRUE(std::all_of(got, got + kItemRecordSize, [](unsigned char c) { return c == 0; }));
    EXPECT_EQ(send(99), 0);
}

TEST_F(PlugInMessagesTest, SetItemRewritesTheChosenNodeAndItsLock) {
    tree.select(b);
    tree.select(work);
    const ItemBytes outOfRange = item("x", "/x", "", "File", 1, "2");
    EXPECT_EQ(send(kCmdSetItem, outOfRange.data()), -1);
    const ItemBytes notANumber = item("x", "/x", "", "File", 1, "1a");
    EXPECT_THROW(send(kCmdSetItem, notANumber.data()), Error);
    EXPECT_EQ(b->text(kColCaption), "b.txt");
    EXPECT_EQ(work->text(kColCaption), ":Work");

    // In tree order ":Work" comes before "b.txt".
    const ItemBytes lock = item("renamed", files / "b.txt", "ignored", "File", 1, "1");
    EXPECT_EQ(send(kCmdSetItem, lock.data()), 0);
    EXPECT_EQ(b->text(kColCaption), "renamed");
    EXPECT_EQ(b->text(kColLock), "Yes");
    EXPECT_EQ(b->stateIndex(), kStateLocked);
    EXPECT_TRUE(lockPort.isLockedByAnyone(files / "b.txt"));

    const ItemBytes unlock = item("renamed", files / "b.txt", "", "File", 0, "1");
    EXPECT_EQ(send(kCmdSetItem, unlock.data()), 0);
    EXPECT_EQ(b->text(kColLock), "No");
    EXPECT_EQ(b->stateIndex(), kStateNone);
    EXPECT_EQ(b->linkRecord(), nullptr);
    EXPECT_FALSE(lockPort.isLockedByAnyone(files / "b.txt"));

    // A file that cannot be locked keeps showing "No"; a ZuFolder gets its marker back.
    const ItemBytes missing = item("gone", files / "gone.txt", "", "File", 1, "1");
    send(kCmdSetItem, missing.data());
    EXPECT_EQ(b->text(kColLock), "No");
    const ItemBytes folder = item("Play", "", "", "ZuFolder", 0, "0");
    send(kCmdSetItem, folder.data());
    EXPECT_EQ(work->text(kColCaption), ":Play");
}

TEST_F(PlugInMessagesTest, AddMakesMissingZuFoldersOnceAndDeleteFindsByParentAndName) {
    const ItemBytes added = item("new.txt", "/n/new.txt", "Docs\\Work\\Sub\\", "File");
    send(kCmdAddItem, added.data());
    send(kCmdAddItem, added.data());
    ASSERT_EQ(tree.childCount(work), 2u);
    Node* sub = tree.children(work).front();
    EXPECT_EQ(sub->text(kColCaption), ":Sub");
    EXPECT_EQ(sub->text(kColKind), "ZuFolder");
    EXPECT_EQ(sub->imageIndex(), icons.folderIcon());
    EXPECT_EQ(tree.childCount(sub), 2u);
    EXPECT_EQ(tree.children(sub).front()->text(kColLock), "");

    const ItemBytes topLevel = item("t2", "/t2", "", "Folder");
    send(kCmdAddItem, topLevel.data());
    EXPECT_EQ(tree.topLevel().size(), 3u);

    // The parent path and name of a get item name the node itself.
    tree.select(deep);
    ItemBytes fromGet{};
    std::memcpy(fromGet.data(), sendForBytes(kCmdGetItem, 0), fromGet.size());
    EXPECT_EQ(send(kCmdDeleteItem, fromGet.data()), 0);
    EXPECT_EQ(tree.childCount(work), 1u);

    const ItemBytes nowhere = item("b.txt", "", ":Nowhere\\", "");
    const ItemBytes nothing = item("", "", "", "");
    send(kCmdDeleteItem, nowhere.data());
    send(kCmdDeleteItem, nothing.data());
    EXPECT_EQ(tree.nodeCount(), 8u);
    const ItemBytes wholeFolder = item("", "", "Docs\\Work", "");
    send(kCmdDeleteItem, wholeFolder.data());
    EXPECT_EQ(tree.childCount(docs), 1u);
}

TEST_F(PlugInMessagesTest, SelectionCommandsFollowTheSiblingRule) {
    const TextField docsPath = makeTextField(":Docs\\");
    EXPECT_EQ(send(kCmdSelectBelow, docsPath.data()), 0);
    // The children join; deep.txt is no sibling of them.
    EXPECT_EQ(selectedCaptions(), (std::vector<std::string>{":Work", "b.txt"}));
    const TextField unknown = makeTextField("Docs\\Nope");
    EXPECT_EQ(send(kCmdSelectBelow, unknown.data()), -1);
    EXPECT_EQ(send(kCmdUnselectBelow, unknown.data()), -1);
    const TextField noPieces = makeTextField("\\\\");
    EXPECT_EQ(send(kCmdSelectBelow, noPieces.data()), -1);
    EXPECT_EQ(send(kCmdUnselectBelow, docsPath.data()), 0);
    EXPECT_EQ(send(kCmdSelectionCount), 0);

    focused = deep;
    send(kCmdSelectAll);
    EXPECT_EQ(selectedCaptions(), (std::vector<std::string>{"deep.txt"}));
    focused = nullptr;
    send(kCmdSelectAll);
    EXPECT_EQ(selectedCaptions(), (std::vector<std::string>{":Docs", "top.txt"}));

    // Unselect by the file name part, ZuFolders skipped.
    CriteriaBytes criteria{};
    putText(criteria.data(), "TOP.*");
    criteria[257] = 1;
    criteria[261] = 2;
    send(kCmdUnselect, criteria.data());
    EXPECT_EQ(selectedCaptions(), (std::vector<std::string>{":Docs"}));
    criteria[260] = 1;  // case-sensitive now: no match
    send(kCmdSelect, criteria.data());
    EXPECT_EQ(selectedCaptions(), (std::vector<std::string>{":Docs"}));

    // Select with "clear": the first match decides which siblings can join.
    putText(criteria.data(), "*.txt");
    criteria[256] = 1;
    send(kCmdSelect, criteria.data());
    EXPECT_EQ(selectedCaptions(), (std::vector<std::string>{"deep.txt"}));
    EXPECT_EQ(send(kCmdClearSelection), 0);
    EXPECT_EQ(send(kCmdSelectionCount), 0);
}

}  // namespace
}  // namespace tarnu
