#include "operations/selection.h"

#include <gtest/gtest.h>

#include "model/collation.h"
#include "operations/hot_folder_list.h"

namespace tarnu {
namespace {

class SelectionTest : public ::testing::Test {
protected:
    Node* add(Node* parent, std::string_view caption, std::string_view kind,
              std::string_view path = {}) {
        Node* n = tree.addChild(parent);
        tree.setText(n, kColCaption, caption);
        tree.setText(n, kColPath, path);
        tree.setText(n, kColKind, kind);
        return n;
    }
    std::vector<std::string> selected() const {
        std::vector<std::string> out;
        for (const Node* n : tree.selection()) {
            out.emplace_back(n->text(kColCaption));
        }
        return out;
    }

    AsciiCollation collation;
    ZuTree tree{collation};
};

TEST_F(SelectionTest, SelectByCriteriaMatchesTheChosenTextKindsAndSiblings) {
    Node* docs = add(nullptr, ":Docs", kKindZuFolder);
    add(docs, "notes", kKindFile, "/home/u/notes.txt");
    add(docs, "Plan.TXT", kKindFile, "/home/u/plan.TXT");
    add(docs, ":txt", kKindFolder, "/home/u/old.txt");
    Node* other = add(nullptr, ":Other", kKindZuFolder);
    add(other, "more.txt", kKindFile, "/srv/more.txt");

    // Captions cut of their extension are found only by the file-name part of the path.
    SelectionCriteria criteria{"*.txt", true, false, false, false, false, MatchedText::Caption};
    EXPECT_EQ(selectByCriteria(tree, criteria), 1u);
    EXPECT_EQ(selected(), (std::vector<std::string>{"Plan.TXT"}));

    criteria.text = MatchedText::FileName;
    criteria.skipFolders = true;
    EXPECT_EQ(selectByCriteria(tree, criteria), 2u);
    EXPECT_EQ(selected(), (std::vector<std::string>{"notes", "Plan.TXT"}))
        << "more.txt is no sibling of the first match";

    // Case-sensitive; without clearing, what was selected stays.
    criteria.clear = false;
    criteria.caseSensitive = true;
    criteria.skipFolders = false;
    criteria.pattern = "*.txt";
    EXPECT_EQ(selectByCriteria(tree, criteria), 1u);
    EXPECT_EQ(selected(), (std::vector<std::string>{":txt", "notes", "Plan.TXT"}));

    // Only A-Z fold: accented capitals stay apart from their small letters.
    tree.clearSelection();
    add(nullptr, "\xC9t\xE9", kKindFile, "/x");
    criteria = {"\xE9T\xC9", true, false, false, false, false, MatchedText::Caption};
    EXPECT_EQ(selectByCriteria(tree, criteria), 0u);
    criteria.pattern = "\xC9T\xE9";
    EXPECT_EQ(selectByCriteria(tree, criteria), 1u);
}

TEST_F(SelectionTest, SearchStepsThroughFlatOrderAndStartsOverAfterTheLastNode) {
    Node* docs = add(nullptr, ":Docs", kKindZuFolder);
    Node* a = add(docs, "abc", kKindFile, "/a");
    Node* b = add(docs, "xab", kKindFile, "/b");
    Node* last = add(nullptr, "zab", kKindFile, "/z");

    EXPECT_EQ(searchNext(tree, "", false), docs) << "an empty text finds the first node";
    EXPECT_EQ(searchNext(tree, "", false), a) << "then the one after the selection";
    EXPECT_EQ(searchNext(tree, "AB", false), b);
    EXPECT_EQ(searchNext(tree, "ab", false), last);
    EXPECT_EQ(searchNext(tree, "ab", false), nullptr);
    EXPECT_EQ(tree.selectionCount(), 0u) << "past the last node the selection is cleared";
    EXPECT_EQ(searchNext(tree, "AB", true), nullptr);
    EXPECT_EQ(searchNext(tree, ":", false), docs) << "the marker finds folders";
    EXPECT_EQ(searchNext(tree, "nothing", false), nullptr);
    EXPECT_EQ(tree.selection(), std::vector<Node*>{docs}) << "no match changes nothing";
}

TEST_F(SelectionTest, ExpandSelectionIgnoresBlankPatternsAndCutsLongOnes) {
    EXPECT_FALSE(criteriaFrom({" \t\n"}));
    auto criteria = criteriaFrom(
        {std::string(300, '*') + "x", false, true, true, false, true, MatchedText::FullPath});
    ASSERT_TRUE(criteria);
    EXPECT_EQ(criteria->pattern, std::string(kMaxPatternLength, '*'));
    EXPECT_FALSE(criteria->clear);
    EXPECT_TRUE(criteria->skipZuFolders && criteria->skipFolders && criteria->caseSensitive);
    EXPECT_EQ(criteria->text, MatchedText::FullPath);
}

TEST_F(SelectionTest, HotFolderListShowsNestedPathsAndSelectsTheSlotsOwnNode) {
    Node* top = add(nullptr, ":A", kKindZuFolder);
    Node* mid = add(top, ":B", kKindZuFolder);
    add(mid, ":C", kKindZuFolder);
    Node* twin = add(mid, ":C", kKindZuFolder);
    Node* file = add(top, "f", kKindFile, "/f");
    HotFolderTable table;
    ASSERT_TRUE(table.bind(tree, twin, 4));
    ASSERT_TRUE(table.bind(tree, top, 0));
    const auto rows = hotFolderRows(table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].key + " " + rows[0].path, "Ctrl+1 :A");
    EXPECT_EQ(rows[1].key + " " + rows[1].path, "Ctrl+5 :A\\:B\\:C");

    tree.select(file);
    EXPECT_TRUE(selectHotFolder(tree, table, 4));
    EXPECT_EQ(tree.selection(), std::vector<Node*>{twin}) << "not the first :C of that path";
    EXPECT_FALSE(selectHotFolder(tree, table, 2));
}

}  // namespace
}  // namespace tarnu
