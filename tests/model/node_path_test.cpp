#include "model/node_path.h"

#include <gtest/gtest.h>

namespace tarnu {
namespace {

TEST(NodePath, ParentPathsAndTheirResolution) {
    AsciiCollation collation;
    ZuTree tree(collation);
    auto add = [&](Node* parent, std::string_view caption) {
        Node* n = tree.addChild(parent);
        tree.setText(n, kColCaption, caption);
        return n;
    };
    Node* docs = add(nullptr, ":Docs");
    Node* work = add(docs, ":Work");
    Node* file = add(work, "b.txt");
    Node* other = add(nullptr, "Work");

    EXPECT_EQ(parentPath(docs), "");
    EXPECT_EQ(parentPath(file), ":Docs\\:Work\\");

    EXPECT_EQ(resolveNodePath(tree, ":Docs\\:Work\\"), work);
    EXPECT_EQ(resolveNodePath(tree, "Docs\\\\Work"),
              work);  // markers ignored, empty pieces skipped
    EXPECT_EQ(resolveNodePath(tree, "\\Docs\\Work\\b.txt"), file);
    EXPECT_EQ(resolveNodePath(tree, "docs"), nullptr);  // exact case
    EXPECT_EQ(resolveNodePath(tree, "Docs\\Nope"), nullptr);
    EXPECT_EQ(resolveNodePath(tree, "\\\\"), nullptr);  // no pieces
    EXPECT_EQ(resolveNodePath(tree, "Work"), other);

    EXPECT_EQ(findChildByName(tree, nullptr, "::Docs"), docs);
    EXPECT_EQ(findChildByName(tree, docs, "Work"), work);
    EXPECT_EQ(findChildByName(tree, work, "b.tx"), nullptr);
}

}  // namespace
}  // namespace tarnu
