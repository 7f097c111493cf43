#include "model/tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace tarnu {
namespace {

std::vector<std::string> captions(const ZuTree& tree, const Node* parent) {
    std::vector<std::string> out;
    for (const Node* n : tree.children(parent)) {
        out.emplace_back(n->text(kColCaption));
    }
    return out;
}

Node* add(ZuTree& tree, Node* parent, std::string_view caption) {
    Node* n = tree.addChild(parent);
    tree.setText(n, kColCaption, caption);
    return n;
}

class TreeTest : public ::testing::Test {
protected:
    AsciiCollation collation;
    ZuTree tree{collation};
};

TEST_F(TreeTest, NewNodeDefaults) {
    Node* n = tree.addChild(nullptr);
    EXPECT_EQ(n->valueCount(), 0);
    EXPECT_EQ(n->imageIndex(), 0);
    EXPECT_EQ(n->selectedImageIndex(), -1);
    EXPECT_EQ(n->stateIndex(), kStateNone);
    EXPECT_FALSE(n->isExpanded());
    EXPECT_EQ(n->linkRecord(), nullptr);
    EXPECT_EQ(n->text(3), "");
}

TEST_F(TreeTest, ValueCountFollowsTheHighestColumnEverSet) {
    Node* n = tree.addChild(nullptr);
    tree.setText(n, kColKind, "File");
    EXPECT_EQ(n->valueCount(), 5);
    EXPECT_EQ(n->text(kColCaption), "");
    tree.setText(n, kColPath, "/home/u/a.txt");
    tree.setText(n, kColCaption, "a");
    tree.setText(n, kColComment, "note");
    tree.setText(n, kColComment, "");
    EXPECT_EQ(n->valueCount(), 6);
    tree.setText(n, kColPath, "/x");  // shrinking a middle value keeps the later ones
    EXPECT_EQ(n->text(kColCaption), "a");
    EXPECT_EQ(n->text(kColPath), "/x");
    EXPECT_EQ(n->text(kColKind), "File");
    EXPECT_EQ(n->text(kColComment), "");
}

TEST_F(TreeTest, ChildrenStaySortedCaseInsensitively) {
    Node* folder = add(tree, nullptr, ":Docs");
    for (auto c : {"delta", "Alpha", "charlie", "Bravo", "alpha"}) {
        add(tree, folder, c);
    }
    EXPECT_EQ(captions(tree, folder),
              (std::vector<std::string>{"Alpha", "alpha", "Bravo", "charlie", "delta"}));
    add(tree, folder, "Echo");
    add(tree, folder, "apple");
    EXPECT_EQ(captions(tree, folder), (std::vector<std::string>{"Alpha", "alpha", "apple", "Bravo",
                                                                "charlie", "delta", "Echo"}));
}

TEST_F(TreeTest, RenamingMovesANodeToItsNewPlace) {
    add(tree, nullptr, "b");
    Node* c = add(tree, nullptr, "c");
    add(tree, nullptr, "d");
    ASSERT_EQ(captions(tree, nullptr), (std::vector<std::string>{"b", "c", "d"}));
    tree.setText(c, kColCaption, "a");
    EXPECT_EQ(captions(tree, nullptr), (std::vector<std::string>{"a", "b", "d"}));
    tree.setText(c, kColCaption, "z");
    EXPECT_EQ(captions(tree, nullptr), (std::vector<std::string>{"b", "d", "z"}));
}

TEST_F(TreeTest, ManyChildrenInRandomOrderEndSorted) {
    Node* folder = add(tree, nullptr, ":big");
    std::mt19937 rng(7);
    std::vector<std::string> names;
    for (int i = 0; i < 200000; ++i) {
        names.push_back("n" + std::to_string(rng()));
        add(tree, folder, names.back());
        if (i % 50000 == 0) {
            tree.children(folder);  // interleaved looks must not break the order
        }
    }
    std::stable_sort(names.begin(), names.end());
    EXPECT_EQ(captions(tree, folder), names);
}

TEST_F(TreeTest, FlatOrderIsPreOrderRegardlessOfExpansion) {
    Node* b = add(tree, nullptr, ":b");
    Node* a = add(tree, nullptr, ":a");
    Node* a2 = add(tree, a, "a2");
    Node* a1 = add(tree, a, ":a1");
    Node* a1x = add(tree, a1, "x");
    const std::vector<Node*> expected{a, a1, a1x, a2, b};
    std::vector<Node*> walked;
    tree.forEachInFlatOrder([&](Node* n) {
        walked.push_back(n);
        return true;
    });
    EXPECT_EQ(walked, expected);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(tree.flatPosition(expected[i]), i);
        EXPECT_EQ(tree.nodeAtFlatPosition(i), expected[i]);
        EXPECT_EQ(tree.nextInFlatOrder(expected[i]),
                  i + 1 < expected.size() ? expected[i + 1] : nullptr);
    }
    EXPECT_EQ(tree.nodeAtFlatPosition(expected.size()), nullptr);
    EXPECT_EQ(tree.firstTopLevel(), a);
    EXPECT_EQ(a1x->parent(), a1);
}

TEST_F(TreeTest, SelectionTakesSiblingsOnlyAndListsThemInTreeOrder) {
    Node* f = add(tree, nullptr, ":f");
    Node* g = add(tree, nullptr, ":g");
    Node* c = add(tree, f, "c");
    Node* a = add(tree, f, "a");
    Node* b = add(tree, f, "b");
    Node* other = add(tree, g, "x");
    EXPECT_TRUE(tree.select(c));
    EXPECT_TRUE(tree.select(a));
    EXPECT_FALSE(tree.select(other));
    EXPECT_FALSE(tree.select(g));
    EXPECT_FALSE(other->isSelected());
    EXPECT_EQ(tree.selection(), (std::vector<Node*>{a, c}));
    tree.deselect(a);
    tree.deselect(c);
    EXPECT_TRUE(tree.select(other));  // an empty selection takes any node
    tree.clearSelection();
    EXPECT_TRUE(tree.select(b));
    EXPECT_EQ(tree.selectionCount(), 1u);
    tree.deleteNode(b);
    EXPECT_TRUE(tree.selection().empty());
    EXPECT_TRUE(tree.select(g));
}

TEST_F(TreeTest, DeletingCallsTheHookForTheWholeSubtree) {
    Node* f = add(tree, nullptr, ":f");
    Node* sub = add(tree, f, ":sub");
    add(tree, sub, "file1");
    add(tree, sub, "file2");
    Node* keep = add(tree, f, "keep");
    keep->ensureLinkRecord().hotKey = 0x4041;
    std::vector<std::string> seen;
    tree.setDeleteHook([&](Node& n) { seen.emplace_back(n.text(kColCaption)); });
    tree.deleteNode(sub);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{":sub", "file1", "file2"}));
    EXPECT_EQ(tree.nodeCount(), 2u);
    EXPECT_EQ(captions(tree, f), (std::vector<std::string>{"keep"}));
    seen.clear();
    tree.clear();
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_TRUE(tree.empty());
}

TEST_F(TreeTest, DeletingManySiblingsAtOnce) {
    Node* f = add(tree, nullptr, ":f");
    std::vector<Node*> doomed;
    for (int i = 0; i < 1000; ++i) {
        Node* n = add(tree, f, "n" + std::to_string(1000 + i));
        if (i % 3 == 0) {
            doomed.push_back(n);
            add(tree, n, "inner");
        }
    }
    Node* inner = tree.children(doomed[0]).front();
    doomed.push_back(inner);  // inside another listed node: goes with it, once
    tree.deleteNodes(doomed);
    EXPECT_EQ(tree.childCount(f), 666u);
    EXPECT_EQ(tree.nodeCount(), 667u);
    auto left = captions(tree, f);
    EXPECT_TRUE(std::is_sorted(left.begin(), left.end()));
    EXPECT_EQ(left.front(), "n1001");
}

TEST_F(TreeTest, DeepChainsNeedNoDeepCallStack) {
    Node* n = nullptr;
    for (int i = 0; i < 200000; ++i) {
        n = add(tree, n, ":d");
    }
    EXPECT_EQ(tree.flatPosition(n), 199999u);
    tree.clear();
    EXPECT_EQ(tree.nodeCount(), 0u);
}

TEST_F(TreeTest, MovingReparentsAndTheNodeTakesItsSortedPlace) {
    Node* f = add(tree, nullptr, ":f");
    Node* g = add(tree, nullptr, ":g");
    add(tree, g, "a");
    add(tree, g, "c");
    Node* b = add(tree, f, "b");
    add(tree, b, "inside");
    EXPECT_EQ(captions(tree, g), (std::vector<std::string>{"a", "c"}));  // sorted before
    ASSERT_TRUE(tree.moveNode(b, g));
    EXPECT_EQ(b->parent(), g);
    EXPECT_EQ(tree.childCount(f), 0u);
    EXPECT_EQ(captions(tree, g), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(captions(tree, b), (std::vector<std::string>{"inside"}));
    ASSERT_TRUE(tree.moveNode(b, nullptr));  // to the top level
    EXPECT_EQ(b->parent(), nullptr);
    EXPECT_EQ(captions(tree, nullptr), (std::vector<std::string>{":f", ":g", "b"}));
    EXPECT_EQ(tree.nodeCount(), 6u);
    EXPECT_EQ(tree.flatPosition(tree.children(b).front()), 5u);
}

TEST_F(TreeTest, MovingIntoItselfOrItsSubtreeIsRefused) {
    Node* f = add(tree, nullptr, ":f");
    Node* sub = add(tree, f, ":sub");
    Node* deep = add(tree, sub, ":deep");
    EXPECT_FALSE(tree.moveNode(f, f));
    EXPECT_FALSE(tree.moveNode(f, sub));
    EXPECT_FALSE(tree.moveNode(f, deep));
    EXPECT_EQ(f->parent(), nullptr);
    EXPECT_EQ(tree.children(f), (std::vector<Node*>{sub}));
    EXPECT_EQ(tree.topLevel(), (std::vector<Node*>{f}));
    EXPECT_TRUE(tree.moveNode(deep, f));  // moving up is fine
    EXPECT_EQ(captions(tree, f), (std::vector<std::string>{":deep", ":sub"}));
}

TEST_F(TreeTest, AMovedNodeLeavesTheSelectionAndTheRestStaysSiblings) {
    Node* f = add(tree, nullptr, ":f");
    Node* g = add(tree, nullptr, ":g");
    Node* a = add(tree, f, "a");
    Node* b = add(tree, f, "b");
    Node* x = add(tree, g, "x");
    ASSERT_TRUE(tree.select(a));
    ASSERT_TRUE(tree.select(b));
    ASSERT_TRUE(tree.moveNode(a, g));
    EXPECT_FALSE(a->isSelected());
    EXPECT_EQ(tree.selection(), (std::vector<Node*>{b}));
    EXPECT_FALSE(tree.select(x));  // still only siblings of b
    ASSERT_TRUE(tree.moveNode(b, g));
    EXPECT_EQ(tree.selectionCount(), 0u);
    EXPECT_TRUE(tree.select(x));  // an empty selection takes any node again
    EXPECT_TRUE(tree.select(a));
    // Moving an unselected ancestor keeps the selection below it.
    ASSERT_TRUE(tree.moveNode(g, f));
    EXPECT_EQ(tree.selection(), (std::vector<Node*>{a, x}));
}

// Keeps a copy of every parent's rows from the notifications alone, as a view does.
class ShadowObserver : public TreeObserver {
public:
    explicit ShadowObserver(const ZuTree& tree) : tree_(tree) {}

    std::map<const Node*, std::vector<const Node*>> rows;

    void nodeAboutToBeInserted(const Node* parent, std::size_t row) override {
        pending_ = {parent, row};
    }
    void nodeInserted() override {
        auto& list = rows[pending_.first];
        ASSERT_EQ(pending_.second, list.size());  // new nodes come last
        list.push_back(tree_.storedChildren(pending_.first)[pending_.second]);
    }
    void nodeAboutToBeRemoved(const Node* parent, std::size_t first, std::size_t last) override {
        auto& list = rows[parent];
        ASSERT_LT(last, list.size());
        list.erase(list.begin() + static_cast<long>(first),
                   list.begin() + static_cast<long>(last) + 1);
    }
    void nodeAboutToBeMoved(const Node* from, std::size_t row, const Node* to,
                            std::size_t toRow) override {
        auto& source = rows[from];
        ASSERT_LT(row, source.size());
        const Node* node = source[row];
        source.erase(source.begin() + static_cast<long>(row));
        if (from == to && toRow > row) {
            --toRow;
        }
        auto& target = rows[to];
        ASSERT_LE(toRow, target.size());
        target.insert(target.begin() + static_cast<long>(toRow), node);
    }
    void childrenSorted(const Node* parent) override {
        auto& list = rows[parent];
        const auto& now = tree_.storedChildren(parent);
        // A sort only permutes: the same nodes, in the tree's new order.
        ASSERT_TRUE(std::is_permutation(list.begin(), list.end(), now.begin(), now.end()));
        list.assign(now.begin(), now.end());
    }
    void treeReset() override { rows.clear(); }

    bool matches(const Node* parent) const {
        auto it = rows.find(parent);
        const auto& now = tree_.storedChildren(parent);
        const std::vector<const Node*> stored(now.begin(), now.end());
        return (it == rows.end() ? std::vector<const Node*>{} : it->second) == stored;
    }

private:
    const ZuTree& tree_;
    std::pair<const Node*, std::size_t> pending_;
};

// Every change reaches an observer in rows it can follow: additions, renames that re-sort,
// moves, deletions of scattered siblings, and the sort itself.
TEST_F(TreeTest, ObserversFollowEveryChangeRowByRow) {
    ShadowObserver shadow(tree);
    tree.addObserver(&shadow);
    Node* b = add(tree, nullptr, ":b");
    Node* d = add(tree, nullptr, ":d");
    for (const char* name : {"x", "m", "a", "k"}) {
        add(tree, b, name);
    }
    tree.sortPending();
    EXPECT_EQ(captions(tree, b), (std::vector<std::string>{"a", "k", "m", "x"}));
    tree.setText(tree.children(b)[0], kColCaption, "z");  // sorts to the end
    tree.sortPending();
    EXPECT_TRUE(shadow.matches(b));
    EXPECT_EQ(captions(tree, b).back(), "z");
    tree.setText(d, kColCaption, ":a");  // re-sorts at the top level
    tree.moveNode(tree.children(b)[1], d);
    tree.sortPending();
    for (int i = 0; i < 30; ++i) {
        add(tree, d, "n" + std::to_string(i));  // many at once: one sort of the parent
    }
    tree.sortPending();
    EXPECT_TRUE(shadow.matches(nullptr));
    EXPECT_TRUE(shadow.matches(b));
    EXPECT_TRUE(shadow.matches(d));
    std::vector<Node*> doomed;
    for (std::size_t i = 0; i < tree.children(d).size(); i += 3) {
        doomed.push_back(tree.children(d)[i]);
    }
    tree.deleteNodes(doomed);
    EXPECT_TRUE(shadow.matches(d));
    tree.deleteNode(b);
    EXPECT_TRUE(shadow.matches(nullptr));
    tree.clear();
    EXPECT_TRUE(shadow.rows.empty());
    tree.removeObserver(&shadow);
}

TEST(LocaleCollationTest, IgnoresLetterCase) {
    LocaleCollation c("C.UTF-8");
    EXPECT_LT(c.compare("apple", "Banana"), 0);
    EXPECT_GT(c.compare("Cherry", "banana"), 0);
    EXPECT_EQ(c.compare("ABC", "abc"), 0);
    // The batch order agrees with pairwise comparison and is stable for equal texts.
    std::vector<std::string_view> texts{"b", "A", "a", "C"};
    EXPECT_EQ(c.sortedOrder(texts), (std::vector<std::uint32_t>{1, 2, 0, 3}));
}

}  // namespace
}  // namespace tarnu
