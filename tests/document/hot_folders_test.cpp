#include "document/hot_folders.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarnu {
namespace {

class HotFoldersTest : public ::testing::Test {
protected:
    Node* add(Node* parent, std::string_view caption, std::string_view kind,
              std::string_view path = "") {
        Node* n = tree.addChild(parent);
        tree.setText(n, kColCaption, caption);
        tree.setText(n, kColPath, path);
        tree.setText(n, kColKind, kind);
        return n;
    }
    AsciiCollation collation;
    ZuTree tree{collation};
    HotFolderTable table;
};

TEST_F(HotFoldersTest, BindingTurnsFoldersIntoZuFoldersAndRefusesFiles) {
    Node* music = add(nullptr, ":Music", kKindFolder, "/home/u/Music");
    Node* file = add(nullptr, "a", kKindFile, "/a");
    EXPECT_TRUE(table.bind(tree, music, 2));
    EXPECT_EQ(music->text(kColKind), kKindZuFolder);
    EXPECT_EQ(music->text(kColPath), "");
    EXPECT_FALSE(table.bind(tree, file, 3));
    EXPECT_EQ(table.slot(3), nullptr);
    EXPECT_EQ(file->text(kColKind), kKindFile);
    table.bind(tree, music, 9);
    table.forget(music);
    EXPECT_EQ(table.slot(2), nullptr);
    EXPECT_EQ(table.slot(9), nullptr);
}

TEST_F(HotFoldersTest, WritesSlotParentPathAndCaption) {
    Node* docs = add(nullptr, ":Docs", kKindZuFolder);
    Node* work = add(docs, ":Work", kKindZuFolder);
    Node* deep = add(work, ":Deep", kKindZuFolder);
    table.bind(tree, deep, 4);
    table.bind(tree, docs, 0);
    EXPECT_EQ(table.write(), "0\r\n\r\n:Docs\r\n4\r\n:Docs\\:Work\\\r\n:Deep\r\n");
    HotFolderTable empty;
    EXPECT_EQ(empty.write(), "");
}

TEST_F(HotFoldersTest, ReadingBindsWhatResolvesAndSkipsTheRest) {
    Node* docs = add(nullptr, ":Docs", kKindZuFolder);
    Node* work = add(docs, ":Work", kKindZuFolder);
    Node* deep = add(work, ":Deep", kKindZuFolder);
    Node* top = add(nullptr, ":Top", kKindZuFolder);
    table.bind(tree, top, 7);
    table.read(tree,
               "4\r\n:Docs\\:Work\\\r\n:Deep\r\n"  // nested: found
               "12\r\n\r\n:Docs\r\n"               // no slot 12
               "x\r\n\r\n:Docs\r\n"                // no number
               "5\r\nDocs\\\\Work\r\nDeep\r\n"     // markers ignored, empty pieces skipped
               "6\r\n:Nowhere\\\r\n:Top\r\n"       // unresolved parent: the top level
               "1\r\n\r\n:Missing\r\n"             // no such node
               "2\r\n\r\n");                       // trailing incomplete triple
    EXPECT_EQ(table.slot(7), nullptr);             // reading empties first
    EXPECT_EQ(table.slot(4), deep);
    EXPECT_EQ(table.slot(5), deep);
    EXPECT_EQ(table.slot(6), top);
    EXPECT_EQ(table.slot(1), nullptr);
    EXPECT_EQ(table.slot(2), nullptr);
    table.read(tree, "3\n\n:Docs");  // lone LF ends and an unterminated last line
    EXPECT_EQ(table.slot(3), docs);
}

TEST_F(HotFoldersTest, LoadingBindsOnlyZuFoldersAndSurvivesLineBreaksInNames) {
    // An unresolved parent falls back to the top level, where a Folder link of the same
    // name must keep its directory.
    Node* music = add(nullptr, ":Music", kKindFolder, "/home/u/Music");
    table.read(tree, "2\r\n:Gone\\\r\n:Music\r\n");
    EXPECT_EQ(table.slot(2), nullptr);
    EXPECT_EQ(music->text(kColKind), kKindFolder);
    EXPECT_EQ(music->text(kColPath), "/home/u/Music");

    // A directory name may hold line breaks; its slot and every later one come back.
    Node* odd = add(nullptr, ":two\nlines\r", kKindZuFolder);
    Node* inner = add(odd, ":in\r\nner", kKindZuFolder);
    Node* later = add(nullptr, ":Later", kKindZuFolder);
    table.bind(tree, odd, 0);
    table.bind(tree, inner, 1);
    table.bind(tree, later, 5);
    const std::string entry = table.write();
    EXPECT_EQ(std::count(entry.begin(), entry.end(), '\n'), 9) << entry;
    table.read(tree, entry);
    EXPECT_EQ(table.slot(0), odd);
    EXPECT_EQ(table.slot(1), inner);
    EXPECT_EQ(table.slot(5), later);
}

}  // namespace
}  // namespace tarnu
