#pragma once

// Shaping the ZuBook tree by hand: new ZuFolder, delete, rename and in-place editing, drag
// and drop, the tree's keys, the context menu's enabled items, full expand and collapse.
// The view passes what only it knows: the focused node and whether a cell editor is open.

#include <string>
#include <string_view>

#include "document/hot_folders.h"
#include "document/message_source.h"
#include "document/zubook.h"
#include "model/icon_cache.h"
#include "model/tree.h"
#include "operations/adding.h"
#include "platform/ui.h"

namespace tarnu {

inline constexpr std::string_view kNewFolderDefault = "Tarnu folder";

// Only captions are edited in place.
constexpr bool isEditableColumn(int column) {
    return column == kColCaption;
}

// Makes each selected node, last to first, the last child of newParent (the top level when
// null), skipping moves into a node's own subtree. Returns how many moved.
int moveSelection(ZuTree& tree, Node* newParent);

// Ctrl+digit: moves the selection into the node of hot-folder slot n. False when nothing is
// selected or the slot is empty. Counts and the auto-save rule stay untouched.
bool moveSelectionToHotFolder(ZuTree& tree, const HotFolderTable& hotFolders, int slot);

// What the view does after a key the editor handled.
struct KeyOutcome {
    Node* focus = nullptr;  // move the focus here (the selection has been cleared)
    Node* open = nullptr;   // open this link
};

// The context menu's fixed items that change with the selection; the others are always on.
struct ContextMenuState {
    bool deleteItem = false;
    bool rename = false;
    bool lockFiles = false;
    bool unlockFiles = false;
    bool setHotKey = false;
    bool deleteHotKey = false;
    bool hotFolders = false;
    bool shareFiles = false;
    // The first selected node's column-1 extension without its dot, for the plug-in actions
    // appended after the fixed items.
    std::string extension;
};

struct EditingParts {
    ZuTree& tree;
    IconCache& icons;
    ZuBookDocument& document;
    HotFolderTable& hotFolders;
    Ui& ui;
    MessageSource& messages;
    ZuBookAdder& adder;  // the insertion point
    TreeBusy& busy;
    TreeViewHooks* view = nullptr;
};

class ZuBookEditor {
public:
    explicit ZuBookEditor(EditingParts parts);

    // "New ZuFolder" (Ctrl+N).
    void aNewFolderExecute();
    // "Delete" and the Delete key: deletes every selected node after one confirmation.
    void aDeleteExecute(const Node* focused, bool editing);
    // "Rename...": an input box, then the end of an in-place edit.
    void aRenameExecute(Node* focused);

    // Start of an in-place edit: the text the editor shows (folders without the marker).
    // The caption itself is untouched, so a cancelled edit leaves it as it was.
    std::string captionForEditing(const Node& node) const;
    // End of an in-place edit (and of Rename): every ":" goes, folders get one back in front.
    void renameNode(Node* node, std::string_view text);

    // Whether a drag may end over target (empty space when null).
    bool canDrop(const Node* target, const Node* focused) const;
    // Moves the selection onto a ZuFolder or, over empty space, to the top level.
    void moveSelectionOnto(Node* target);
    // A press where no node lies clears the selection.
    void pressedAt(const Node* hit);

    KeyOutcome rightKey(Node* focused, bool editing);
    KeyOutcome leftKey(Node* focused, bool editing);
    KeyOutcome enterKey(Node* focused, bool editing);
    // Ctrl+Shift+digit: binds the first selected node to the digit's hot folder.
    bool hotFolderBindKey(int digit, bool editing);
    // Ctrl+digit: moves the selection into the digit's hot folder.
    bool hotFolderMoveKey(int digit);

    ContextMenuState contextMenuState() const;

    void fullExpand();
    void fullCollapse();

private:
    EditingParts parts_;
};

// The hint for cut-off text: whether a cell's text of the given width does not fit its
// column. Captions are indented by the node's depth and state picture.
bool cellNeedsHint(const Node& node, int column, int textWidth, int columnWidth);

}  // namespace tarnu
