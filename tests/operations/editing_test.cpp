#include "operations/editing.h"

#include <gtest/gtest.h>

#include "operations/book_fixture.h"

namespace tarnu {
namespace {

class EditingTest : public testing::BookFixture {
protected:
    // A ZuBook with a ZuFolder holding a sub-ZuFolder, a Folder link and two files.
    void build() {
        docs = addNode(nullptr, ":Docs", kKindZuFolder);
        inner = addNode(docs, ":Inner", kKindZuFolder);
        linked = addNode(docs, ":src", kKindFolder, "/home/u/src");
        a = addNode(docs, "a", kKindFile, "/home/u/a.txt");
        b = addNode(docs, "b", kKindFile, "/home/u/b.PDF");
        loose = addNode(nullptr, "loose", kKindFile, "/home/u/loose");
    }

    Node* docs = nullptr;
    Node* inner = nullptr;
    Node* linked = nullptr;
    Node* a = nullptr;
    Node* b = nullptr;
    Node* loose = nullptr;
};

TEST_F(EditingTest, NewZuFolderTakesTheNameAsEntered) {
    settings.autoSaveOnChanges = true;
    build();
    tree.select(a);
    ui.inputs.push_back("Letters");
    editor.aNewFolderExecute();
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{"Tarnu|AskRes.ar#7|Tarnu folder"}));
    EXPECT_EQ(captions(docs), (std::vector<std::string>{":Inner", ":Letters", ":src", "a", "b"}));
    Node* made = tree.children(docs)[1];
    EXPECT_EQ(made->text(kColCaption), ":Letters");
    EXPECT_EQ(made->text(kColKind), kKindZuFolder);
    EXPECT_EQ(made->text(kColPath), "");
    EXPECT_EQ(made->imageIndex(), icons.folderIcon());
    EXPECT_EQ(summary.refreshes, 1);
    EXPECT_EQ(summary.shown.zuFolders, 3);
    EXPECT_TRUE(autoSaved());

    tree.clearSelection();
    ui.inputs.push_back("");
    editor.aNewFolderExecute();
    EXPECT_EQ(tree.children(nullptr).front()->text(kColCaption), ":");

    std::size_t before = tree.nodeCount();
    ui.inputs.push_back(std::nullopt);
    editor.aNewFolderExecute();
    EXPECT_EQ(tree.nodeCount(), before);
}

TEST_F(EditingTest, NewZuFolderNeedsAnOpenZuBook) {
    document.close();
    editor.aNewFolderExecute();  // no answer scripted: asking would throw
    EXPECT_TRUE(tree.empty());
}

TEST_F(EditingTest, DeleteRemovesTheWholeSelectionAfterOneQuestion) {
    settings.autoSaveOnChanges = true;
    build();
    tree.select(inner);
    tree.select(a);
    tree.select(b);
    addNode(inner, "deep", kKindFile, "/x/deep");
    ui.confirmations.push_back(true);
    editor.aDeleteExecute(loose, false);  // the focus need not be among them
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{"AskRes.ar#1"}));
    EXPECT_EQ(captions(docs), (std::vector<std::string>{":src"}));
    EXPECT_EQ(tree.nodeCount(), 3u);
    EXPECT_EQ(document.counts().zuFolders, 1);
    EXPECT_EQ(document.counts().folders, 1);
    EXPECT_EQ(document.counts().files, 1);
    EXPECT_EQ(summary.refreshes, 1);
    EXPECT_TRUE(autoSaved());
}

TEST_F(EditingTest, DeleteDoesNothingWhileEditingWithoutFocusOrWhenCancelled) {
    build();
    tree.select(a);
    editor.aDeleteExecute(a, true);
    editor.aDeleteExecute(nullptr, false);
    EXPECT_TRUE(ui.prompts.empty());
    ui.confirmations.push_back(false);
    editor.aDeleteExecute(a, false);
    EXPECT_EQ(tree.nodeCount(), 6u);
    EXPECT_EQ(summary.refreshes, 0);
}

TEST_F(EditingTest, RenameOffersTheBareNameAndKeepsOneMarker) {
    build();
    tree.setText(inner, kColCaption, "::Inner");
    ui.inputs.push_back("New:Na:me");
    editor.aRenameExecute(inner);
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{"AskRes.ar#8|AskRes.ar#9|Inner"}));
    EXPECT_EQ(inner->text(kColCaption), ":NewName");

    ui.inputs.push_back(":b:2");
    editor.aRenameExecute(b);
    EXPECT_EQ(b->text(kColCaption), "b2");

    ui.inputs.push_back(std::nullopt);
    editor.aRenameExecute(linked);
    EXPECT_EQ(linked->text(kColCaption), ":src");
    editor.aRenameExecute(nullptr);  // no focus: nothing asked
    EXPECT_EQ(ui.prompts.size(), 3u);
}

TEST_F(EditingTest, TheRenamedNodeIsHeldWhileTheBoxIsOpen) {
    struct WatchingUi : testing::ScriptedUi {
        std::function<void()> whileAsking;
        std::optional<std::string> inputBox(std::string_view c, std::string_view p,
                                            std::string_view i) override {
            whileAsking();
            return ScriptedUi::inputBox(c, p, i);
        }
    } watching;
    ZuBookEditor watched{
        EditingParts{tree, icons, document, hotFolders, watching, messages, adder, busy, nullptr}};
    build();
    tree.select(a);
    bool heldWhileAsking = false;
    watching.whileAsking = [&] {
        heldWhileAsking = busy.busy();
        editor.aDeleteExecute(a, false);  // refused while the box holds the node
    };
    watching.inputs.push_back("renamed");
    watched.aRenameExecute(a);
    EXPECT_TRUE(heldWhileAsking);
    EXPECT_FALSE(busy.busy());
    EXPECT_EQ(a->text(kColCaption), "renamed");
}

TEST_F(EditingTest, InPlaceEditShowsTheBareNameAndEndsWithOneMarker) {
    settings.autoSaveOnChanges = true;
    build();
    Node* root = addNode(nullptr, ":/", kKindFolder, "/");
    EXPECT_EQ(editor.captionForEditing(*inner), "Inner");
    EXPECT_EQ(editor.captionForEditing(*root), "/");
    EXPECT_EQ(editor.captionForEditing(*a), "a");
    // Starting an edit changes nothing, so a cancelled edit leaves the caption as it was.
    EXPECT_EQ(inner->text(kColCaption), ":Inner");

    editor.renameNode(linked, "::lib:s");
    EXPECT_EQ(linked->text(kColCaption), ":libs");
    editor.renameNode(a, "a:1");
    EXPECT_EQ(a->text(kColCaption), "a1");
    EXPECT_TRUE(autoSaved());
    EXPECT_TRUE(isEditableColumn(kColCaption));
    EXPECT_FALSE(isEditableColumn(kColPath));
}

TEST_F(EditingTest, DropsGoOnlyOntoZuFoldersOutsideTheDraggedSubtree) {
    build();
    Node* deeper = addNode(inner, ":Deeper", kKindZuFolder);
    EXPECT_TRUE(editor.canDrop(nullptr, a));
    EXPECT_TRUE(editor.canDrop(inner, a));
    EXPECT_FALSE(editor.canDrop(linked, a));
    EXPECT_FALSE(editor.canDrop(b, a));
    EXPECT_FALSE(editor.canDrop(inner, docs));   // a descendant of the dragged node
    EXPECT_FALSE(editor.canDrop(deeper, docs));  // deeper still
    EXPECT_TRUE(editor.canDrop(docs, inner));    // moving up is fine
}

TEST_F(EditingTest, DropMovesTheSelectionAndSkipsMovesIntoItself) {
    settings.autoSaveOnChanges = true;
    build();
    tree.select(inner);
    tree.select(a);
    editor.moveSelectionOnto(inner);  // inner into itself is skipped, a still moves
    EXPECT_EQ(captions(inner), (std::vector<std::string>{"a"}));
    EXPECT_EQ(inner->parent(), docs);
    EXPECT_TRUE(inner->isSelected());
    EXPECT_FALSE(a->isSelected());

    tree.clearSelection();
    tree.select(linked);
    tree.select(b);
    editor.moveSelectionOnto(nullptr);  // empty space: the top level
    EXPECT_EQ(captions(nullptr), (std::vector<std::string>{":Docs", ":src", "b", "loose"}));
    tree.select(loose);
    editor.moveSelectionOnto(a);  // onto a file link: refused
    EXPECT_EQ(loose->parent(), nullptr);

    EXPECT_EQ(document.counts().files, 0);  // counts untouched (nothing was counted here)
    EXPECT_EQ(summary.refreshes, 0);
    EXPECT_FALSE(autoSaved());
}

TEST_F(EditingTest, ArrowsAndEnterOnTheFocusedNode) {
    build();
    Node* top = addNode(nullptr, "top", kKindFile, "/t");
    tree.select(b);
    EXPECT_EQ(editor.rightKey(b, false).focus, tree.children(docs).front());
    EXPECT_EQ(tree.selectionCount(), 0u);
    tree.select(b);
    EXPECT_EQ(editor.leftKey(b, false).focus, docs);
    EXPECT_EQ(tree.selectionCount(), 0u);
    tree.select(top);
    EXPECT_EQ(editor.rightKey(top, false).focus, nullptr);  // no parent: nothing
    EXPECT_EQ(tree.selectionCount(), 1u);

    editor.rightKey(inner, false);
    EXPECT_TRUE(inner->isExpanded());
    editor.leftKey(inner, true);  // editing: nothing
    EXPECT_TRUE(inner->isExpanded());
    editor.leftKey(inner, false);
    EXPECT_FALSE(inner->isExpanded());
    editor.enterKey(linked, false);
    EXPECT_TRUE(linked->isExpanded());
    editor.enterKey(linked, false);
    EXPECT_FALSE(linked->isExpanded());
    EXPECT_EQ(editor.enterKey(a, false).open, a);
    EXPECT_EQ(editor.enterKey(a, true).open, nullptr);
    EXPECT_EQ(editor.enterKey(nullptr, false).open, nullptr);
}

TEST_F(EditingTest, HotFolderKeysBindAndMoveTheSelection) {
    build();
    tree.select(linked);
    EXPECT_FALSE(editor.hotFolderBindKey(3, true));  // editing
    EXPECT_TRUE(editor.hotFolderBindKey(3, false));
    EXPECT_EQ(hotFolders.slot(2), linked);
    EXPECT_EQ(linked->text(kColKind), kKindZuFolder);  // a bound Folder becomes a ZuFolder
    tree.clearSelection();
    tree.select(a);
    EXPECT_FALSE(editor.hotFolderBindKey(4, false));  // file links are never bound
    EXPECT_EQ(hotFolders.slot(3), nullptr);

    tree.select(b);
    EXPECT_TRUE(editor.hotFolderMoveKey(3));
    EXPECT_EQ(captions(linked), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(editor.hotFolderMoveKey(5));  // empty slot
    tree.clearSelection();
    EXPECT_FALSE(editor.hotFolderMoveKey(3));  // nothing selected
    tree.select(docs);
    EXPECT_TRUE(editor.hotFolderMoveKey(3));  // linked lies inside docs: skipped
    EXPECT_EQ(docs->parent(), nullptr);
}

TEST_F(EditingTest, ContextMenuFollowsTheSelection) {
    build();
    ContextMenuState none = editor.contextMenuState();
    EXPECT_FALSE(none.deleteItem || none.rename || none.lockFiles || none.unlockFiles ||
                 none.setHotKey || none.deleteHotKey || none.hotFolders || none.shareFiles);

    tree.select(b);
    tree.select(inner);  // the first selected in tree order is inner
    ContextMenuState folder = editor.contextMenuState();
    EXPECT_TRUE(folder.deleteItem && folder.rename && folder.lockFiles && folder.unlockFiles &&
                folder.setHotKey && folder.deleteHotKey && folder.shareFiles);
    EXPECT_TRUE(folder.hotFolders);
    EXPECT_EQ(folder.extension, "");

    tree.deselect(inner);
    ContextMenuState file = editor.contextMenuState();
    EXPECT_FALSE(file.hotFolders);
    EXPECT_TRUE(file.deleteItem);
    EXPECT_EQ(file.extension, "PDF");
}

TEST_F(EditingTest, FullExpandAndCollapseReachEveryLevel) {
    build();
    Node* deeper = addNode(inner, ":Deeper", kKindZuFolder);
    addNode(deeper, "leaf", kKindFile, "/l");
    editor.fullExpand();
    EXPECT_TRUE(docs->isExpanded() && inner->isExpanded() && deeper->isExpanded());
    editor.fullCollapse();
    tree.forEachInFlatOrder([](Node* n) {
        EXPECT_FALSE(n->isExpanded()) << n->text(kColCaption);
        return true;
    });
}

TEST_F(EditingTest, HintsShowWhenTheIndentedTextDoesNotFit) {
    build();
    // Top level: 32 of indent; inside one folder 48; a state picture adds 16.
    EXPECT_FALSE(cellNeedsHint(*loose, kColCaption, 100, 136));
    EXPECT_TRUE(cellNeedsHint(*loose, kColCaption, 101, 136));
    EXPECT_TRUE(cellNeedsHint(*a, kColCaption, 100, 136));
    loose->setStateIndex(kStateBroken);
    EXPECT_TRUE(cellNeedsHint(*loose, kColCaption, 100, 136));
    EXPECT_FALSE(cellNeedsHint(*a, kColPath, 100, 104));  // no indent outside column 0
    EXPECT_TRUE(cellNeedsHint(*a, kColPath, 101, 104));
}

}  // namespace
}  // namespace tarnu
