#include "document/zubook_text.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

TEST(ZuBookText, OutlineBuildsNestedZuFoldersWithComments) {
    AsciiCollation collation;
    ZuTree tree(collation);
    buildFromOutline(tree,
                     "# a comment\n"
                     "Start | Read me\n"
                     "  Inner\n"
                     "    Deep | deep note\n"
                     "\n"
                     "  Second\n"
                     "Other\n");
    ASSERT_EQ(tree.nodeCount(), 5u);
    Node* other = tree.topLevel()[0];
    Node* start = tree.topLevel()[1];
    EXPECT_EQ(other->text(kColCaption), ":Other");
    EXPECT_EQ(other->valueCount(), 5);  // no comment: column 5 never set
    EXPECT_EQ(start->text(kColComment), "Read me");
    EXPECT_EQ(start->text(kColKind), kKindZuFolder);
    ASSERT_EQ(tree.childCount(start), 2u);
    Node* inner = tree.children(start)[0];
    EXPECT_EQ(tree.children(inner)[0]->text(kColComment), "deep note");

    ZuTree bad(collation);
    try {
        buildFromOutline(bad, "Top\n      Too deep\n");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Outline line 2: indent skips a level");
    }
}

TEST(ZuBookText, DescriptionShowsEveryPartOfTheFile) {
    AsciiCollation collation;
    ZuTree tree(collation);
    buildFromOutline(tree, "Docs\n  Work\n");
    Node* docs = tree.firstTopLevel();
    docs->setExpanded(true);
    Node* file = tree.addChild(docs);
    tree.setText(file, kColCaption, "plan");
    tree.setText(file, kColPath, "/home/u/plan.txt");
    tree.setText(file, kColLock, "Yes");
    tree.setText(file, kColHotKey, "Ctrl+P");
    tree.setText(file, kColKind, kKindFile);
    file->ensureLinkRecord() = {3, 0x4050};
    HotFolderTable hotFolders;
    hotFolders.bind(tree, tree.children(docs)[0], 4);
    SharedTree shared(collation);

    testing::ScratchDir dir;
    TZLBArchive archive;
    writeZuBookFile(archive, dir / "b.dua", tree, hotFolders, shared, std::string("pp"));
    ZuBookReader reader(archive, dir / "b.dua");
    const std::string text = describeZuBook(reader);
    EXPECT_EQ(text,
              "Tree: 3 nodes\n"
              "  :Docs  ZuFolder  expanded\n"
              "    :Work  ZuFolder\n"
              "    plan  File  /home/u/plan.txt  lock Yes  hot key Ctrl+P"
              "  record(locked, hot key 0x4050)\n"
              "Hot folders:\n"
              "  slot 4: :Docs\\:Work\n"
              "Shared files:\n"
              "  :  Folder\n"
              "Plug-in data: 2 bytes\n");
}

}  // namespace
}  // namespace tarnu
