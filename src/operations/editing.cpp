#include "operations/editing.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "common/path.h"
#include "document/messages.h"

namespace tarnu {

namespace {

constexpr std::string_view kInputCaption = "Tarnu";

constexpr int kIndentPerLevel = 16;
constexpr int kIndentBase = 32;
constexpr int kStateIndent = 16;
constexpr int kCellMargin = 4;

bool isFolderLike(const Node& node) {
    return node.kind() == NodeKind::ZuFolder || node.kind() == NodeKind::Folder;
}

std::string_view withoutLeadingMarkers(std::string_view caption) {
    auto at = caption.find_first_not_of(':');
    return at == std::string_view::npos ? std::string_view{} : caption.substr(at);
}

}  // namespace

int moveSelection(ZuTree& tree, Node* newParent) {
    auto selected = tree.selection();
    int moved = 0;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        moved += tree.moveNode(*it, newParent) ? 1 : 0;
    }
    return moved;
}

bool moveSelectionToHotFolder(ZuTree& tree, const HotFolderTable& hotFolders, int slot) {
    Node* target = hotFolders.slot(slot);
    if (!target || tree.selectionCount() == 0) {
        return false;
    }
    moveSelection(tree, target);
    return true;
}

ZuBookEditor::ZuBookEditor(EditingParts parts) : parts_(std::move(parts)) {}

void ZuBookEditor::aNewFolderExecute() {
    // The command belongs to an open ZuBook; a closed one has no tree to put it in.
    if (!parts_.document.isOpen()) {
        return;
    }
    auto name = parts_.ui.inputBox(kInputCaption,
                                   parts_.messages.message(ask::kTable, ask::kNewFolderPrompt),
                                   kNewFolderDefault);
    if (!name || !parts_.document.isOpen()) {
        return;
    }
    Node* node = parts_.adder.insertionPoint();
    parts_.tree.setText(node, kColCaption, ":" + *name);
    parts_.tree.setText(node, kColKind, kKindZuFolder);
    parts_.icons.applyIconRule(*node);
    if (parts_.view) {
        parts_.view->reveal(*node);
    }
    parts_.document.countAdded(NodeKind::ZuFolder);
    parts_.document.recount();
    parts_.document.autoSave();
}

void ZuBookEditor::aDeleteExecute(const Node* focused, bool editing) {
    if (editing || !focused || parts_.busy.busy()) {
        return;
    }
    if (!parts_.ui.confirm(parts_.messages.message(ask::kTable, ask::kDeleteQuestion))) {
        return;
    }
    // The question ran the event loop: take the selection as it is now.
    if (parts_.busy.busy()) {
        return;
    }
    {
        TreeViewUpdate update(parts_.view);
        parts_.tree.deleteNodes(parts_.tree.selection());
    }
    parts_.document.recount();
    parts_.document.autoSave();
}

void ZuBookEditor::aRenameExecute(Node* focused) {
    if (!focused) {
        return;
    }
    std::optional<std::string> text;
    {
        // The focused node must outlive the input box.
        TreeBusy::Hold hold(parts_.busy);
        text = parts_.ui.inputBox(parts_.messages.message(ask::kTable, ask::kRenameCaption),
                                  parts_.messages.message(ask::kTable, ask::kRenamePrompt),
                                  withoutLeadingMarkers(focused->text(kColCaption)));
    }
    if (text) {
        renameNode(focused, *text);
    }
}

std::string ZuBookEditor::captionForEditing(const Node& node) const {
    std::string_view caption = node.text(kColCaption);
    return std::string(node.kind() == NodeKind::File ? caption : withoutLeadingMarkers(caption));
}

void ZuBookEditor::renameNode(Node* node, std::string_view text) {
    std::string caption = node->kind() == NodeKind::File ? "" : ":";
    std::copy_if(text.begin(), text.end(), std::back_inserter(caption),
                 [](char c) { return c != ':'; });
    parts_.tree.setText(node, kColCaption, caption);
    parts_.document.autoSave();
}

bool ZuBookEditor::canDrop(const Node* target, const Node* focused) const {
    if (!target) {
        return true;
    }
    if (target->kind() != NodeKind::ZuFolder) {
        return false;
    }
    for (const Node* up = target->parent(); up; up = up->parent()) {
        if (up == focused) {
            return false;
        }
    }
    return true;
}

void ZuBookEditor::moveSelectionOnto(Node* target) {
    if (target && target->kind() != NodeKind::ZuFolder) {
        return;
    }
    TreeViewUpdate update(parts_.view);
    moveSelection(parts_.tree, target);
}

void ZuBookEditor::pressedAt(const Node* hit) {
    if (!hit) {
        parts_.tree.clearSelection();
    }
}

KeyOutcome ZuBookEditor::rightKey(Node* focused, bool editing) {
    KeyOutcome outcome;
    if (editing || !focused) {
        return outcome;
    }
    if (isFolderLike(*focused)) {
        parts_.tree.setExpanded(focused, true);
    } else if (focused->kind() == NodeKind::File && focused->parent()) {
        parts_.tree.clearSelection();
        outcome.focus = parts_.tree.children(focused->parent()).front();
    }
    return outcome;
}

KeyOutcome ZuBookEditor::leftKey(Node* focused, bool editing) {
    KeyOutcome outcome;
    if (editing || !focused) {
        return outcome;
    }
    if (isFolderLike(*focused)) {
        parts_.tree.setExpanded(focused, false);
    } else if (focused->kind() == NodeKind::File && focused->parent()) {
        parts_.tree.clearSelection();
        outcome.focus = focused->parent();
    }
    return outcome;
}

KeyOutcome ZuBookEditor::enterKey(Node* focused, bool editing) {
    KeyOutcome outcome;
    if (editing || !focused) {
        return outcome;
    }
    if (isFolderLike(*focused)) {
        parts_.tree.setExpanded(focused, !focused->isExpanded());
    } else if (focused->kind() == NodeKind::File) {
        outcome.open = focused;
    }
    return outcome;
}

bool ZuBookEditor::hotFolderBindKey(int digit, bool editing) {
    Node* first = firstSelected(parts_.tree);
    if (editing || digit < 1 || digit > 9 || !first) {
        return false;
    }
    return parts_.hotFolders.bind(parts_.tree, first, digit - 1);
}

bool ZuBookEditor::hotFolderMoveKey(int digit) {
    if (digit < 1 || digit > 9) {
        return false;
    }
    TreeViewUpdate update(parts_.view);
    return moveSelectionToHotFolder(parts_.tree, parts_.hotFolders, digit - 1);
}

ContextMenuState ZuBookEditor::contextMenuState() const {
    ContextMenuState state;
    Node* first = firstSelected(parts_.tree);
    if (!first) {
        return state;
    }
    state.deleteItem = state.rename = state.shareFiles = true;
    state.lockFiles = state.unlockFiles = state.setHotKey = state.deleteHotKey = true;
    state.hotFolders = first->kind() != NodeKind::File;
    std::string_view ext = path::extension(first->text(kColPath));
    state.extension = ext.empty() ? std::string() : std::string(ext.substr(1));
    return state;
}

void ZuBookEditor::fullExpand() {
    TreeViewUpdate update(parts_.view);
    parts_.tree.forEachInFlatOrder([this](Node* node) {
        if (parts_.tree.childCount(node) > 0) {
            node->setExpanded(true);
        }
        return true;
    });
}

void ZuBookEditor::fullCollapse() {
    TreeViewUpdate update(parts_.view);
    parts_.tree.forEachInFlatOrder([](Node* node) {
        node->setExpanded(false);
        return true;
    });
}

bool cellNeedsHint(const Node& node, int column, int textWidth, int columnWidth) {
    int width = textWidth;
    if (column == kColCaption) {
        int depth = 0;
        for (const Node* up = node.parent(); up; up = up->parent()) {
            ++depth;
        }
        width += kIndentPerLevel * depth + kIndentBase;
        width += node.stateIndex() != kStateNone ? kStateIndent : 0;
    }
    return width > columnWidth - kCellMargin;
}

}  // namespace tarnu
