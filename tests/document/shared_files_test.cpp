#include "document/shared_files.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

class SharedFilesTest : public ::testing::Test {
protected:
    Node* add(Node* parent, std::string_view caption, std::string_view fullName) {
        Node* n = shared.tree().addChild(parent);
        shared.tree().setText(n, kSharedCaption, caption);
        shared.tree().setText(n, kSharedFullName, fullName);
        shared.tree().setText(n, kSharedSize, "1");
        return n;
    }
    testing::ScratchDir dir;
    testing::FakeIcons iconPort;
    IconCache icons{iconPort};
    AsciiCollation collation;
    SharedTree shared{collation};
};

TEST_F(SharedFilesTest, StartsWithTheRootAndBuildsDisplayPaths) {
    Node* root = shared.root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(kSharedCaption), ":");
    EXPECT_TRUE(SharedTree::isFolder(root));
    Node* docs = add(root, ":docs", "Folder");
    Node* file = add(docs, "a.txt", "/x/a.txt");
    EXPECT_EQ(shared.displayPath(root), ":");
    EXPECT_EQ(shared.displayPath(docs), ":\\:docs");
    EXPECT_EQ(shared.displayPath(file), ":\\:docs\\a.txt");
}

TEST_F(SharedFilesTest, SaveAndLoadThroughTheZuBookArchiveDropMissingFiles) {
    testing::writeFile(dir / "here.txt", "abc");
    testing::writeFile(dir / "README", "abc");
    Node* docs = add(shared.root(), ":docs", "Folder");
    add(docs, "here.txt", dir / "here.txt");
    add(docs, "README", dir / "README");
    add(shared.root(), "gone.txt", dir / "gone.txt");

    TZLBArchive archive;
    archive.create(dir / "book.dua");
    MemoryStream seed(std::string("x"));
    archive.addStream("UserTable.tbl", seed);
    archive.close();
    shared.save(archive, dir / "book.dua");
    shared.save(archive, dir / "book.dua");  // a second save replaces the entry

    SharedTree loaded(collation);
    loaded.load(archive, dir / "book.dua", icons);
    Node* root = loaded.root();
    ASSERT_EQ(loaded.tree().childCount(root), 1u);  // gone.txt was dropped
    Node* loadedDocs = loaded.tree().children(root).front();
    EXPECT_EQ(loadedDocs->imageIndex(), iconPort.folderIcon());
    ASSERT_EQ(loaded.tree().childCount(loadedDocs), 2u);
    Node* readme = loaded.tree().children(loadedDocs)[1];
    EXPECT_EQ(readme->text(kSharedCaption), "README");
    EXPECT_EQ(readme->imageIndex(), iconPort.plainFileIcon());
    EXPECT_EQ(loaded.tree().children(loadedDocs)[0]->imageIndex(),
              iconPort.fileIcon(dir / "here.txt"));
    EXPECT_TRUE(root->isExpanded());
    EXPECT_FALSE(archive.isOpen());

    // An archive without the entry leaves the tree as it was.
    archive.create(dir / "plain.dua");
    archive.addStream("UserTable.tbl", seed);
    archive.close();
    loaded.load(archive, dir / "plain.dua", icons);
    EXPECT_EQ(loaded.tree().childCount(root), 1u);
}

TEST_F(SharedFilesTest, StreamWithSeveralTopLevelNodesKeepsTheFirstFolderAsRoot) {
    // "1.txt" sorts before ":", so it would come first at the top level.
    testing::writeFile(dir / "1.txt", "abc");
    SharedTree written(collation);
    ZuTree& tree = written.tree();
    Node* docs = tree.addChild(written.root());
    tree.setText(docs, kSharedCaption, ":docs");
    tree.setText(docs, kSharedFullName, kSharedFolderMark);
    Node* file = tree.addChild(nullptr);
    tree.setText(file, kSharedCaption, "1.txt");
    tree.setText(file, kSharedFullName, dir / "1.txt");
    Node* second = tree.addChild(nullptr);
    tree.setText(second, kSharedCaption, ":second");
    tree.setText(second, kSharedFullName, kSharedFolderMark);

    shared.loadBytes(written.toBytes(), icons);
    ASSERT_EQ(shared.tree().topLevel().size(), 1u);
    Node* root = shared.root();
    EXPECT_TRUE(SharedTree::isFolder(root));
    EXPECT_EQ(root->text(kSharedCaption), ":");
    ASSERT_EQ(shared.tree().childCount(root), 1u);
    EXPECT_EQ(shared.tree().children(root).front()->text(kSharedCaption), ":docs");

    // Without any folder at the top level the list starts over from a fresh root.
    SharedTree filesOnly(collation);
    filesOnly.tree().clear();
    Node* lone = filesOnly.tree().addChild(nullptr);
    filesOnly.tree().setText(lone, kSharedCaption, "1.txt");
    filesOnly.tree().setText(lone, kSharedFullName, dir / "1.txt");
    shared.loadBytes(filesOnly.toBytes(), icons);
    ASSERT_EQ(shared.tree().topLevel().size(), 1u);
    EXPECT_TRUE(SharedTree::isFolder(shared.root()));
    EXPECT_EQ(shared.tree().childCount(shared.root()), 0u);
}

}  // namespace
}  // namespace tarnu
