#include "model/icon_cache.h"

#include <gtest/gtest.h>

#include <map>

namespace tarnu {
namespace {

// Hands out a new index for every request, so that each shell look-up is visible.
class CountingIcons : public Icons {
public:
    int folderIcon() override { return 1; }
    int plainFileIcon() override { return 2; }
    int fileIcon(const std::string& path) override {
        ++lookups[path];
        return next++;
    }
    std::map<std::string, int> lookups;
    int next = 10;
};

class IconCacheTest : public ::testing::Test {
protected:
    Node* link(std::string_view kind, std::string_view path) {
        Node* n = tree.addChild(nullptr);
        tree.setText(n, kColPath, path);
        tree.setText(n, kColKind, kind);
        cache.applyIconRule(*n);
        return n;
    }
    CountingIcons icons;
    IconCache cache{icons};
    AsciiCollation collation;
    ZuTree tree{collation};
};

TEST_F(IconCacheTest, StartsWithFolderAndPlainFile) {
    EXPECT_EQ(cache.entries(), (std::vector<std::string>{"1", "2"}));
}

TEST_F(IconCacheTest, EachExeGetsItsOwnIconOtherExtensionsShareOne) {
    Node* a = link(kKindFile, "/bin/a.exe");
    Node* b = link(kKindFile, "/bin/b.exe");
    EXPECT_NE(a->imageIndex(), b->imageIndex());
    Node* c = link(kKindFile, "/bin/C.EXE");
    Node* d = link(kKindFile, "/bin/D.Exe");
    EXPECT_EQ(c->imageIndex(), d->imageIndex());
    Node* t1 = link(kKindFile, "/home/u/one.txt");
    Node* t2 = link(kKindFile, "/home/u/two.TXT");
    EXPECT_EQ(t1->imageIndex(), t2->imageIndex());
    EXPECT_EQ(t1->selectedImageIndex(), t1->imageIndex());
    EXPECT_EQ(icons.lookups.size(), 4u);  // a.exe, b.exe, C.EXE, one.txt
    EXPECT_EQ(cache.entries().size(), 4u);
    EXPECT_EQ(cache.entries()[2], ".EXE=12");
    EXPECT_EQ(cache.entries()[3], ".txt=13");
}

TEST_F(IconCacheTest, StateKindAndMissingExtensionDecideBeforeTheShell) {
    EXPECT_EQ(link(kKindFolder, "/home/u")->imageIndex(), 1);
    EXPECT_EQ(link(kKindZuFolder, "")->imageIndex(), 1);
    EXPECT_EQ(link(kKindFile, "/home/u.d/README")->imageIndex(), 2);
    Node* broken = tree.addChild(nullptr);
    tree.setText(broken, kColPath, "/gone.txt");
    tree.setText(broken, kColKind, kKindFile);
    broken->setStateIndex(kStateBroken);
    cache.applyIconRule(*broken);
    EXPECT_EQ(broken->imageIndex(), 2);
    EXPECT_TRUE(icons.lookups.empty());
}

TEST_F(IconCacheTest, RebuildForgetsExtensions) {
    link(kKindFile, "/a.txt");
    link(kKindFile, "/a.pdf");
    cache.rebuild();
    EXPECT_EQ(cache.entries().size(), 2u);
    link(kKindFile, "/b.txt");
    EXPECT_EQ(icons.lookups.count("/b.txt"), 1u);
}

}  // namespace
}  // namespace tarnu
