#pragma once

// Up to ten ZuFolders of the open ZuBook bound to the digit keys, and their entry
// "HotFolders.hf": per bound slot three CR LF lines (slot, parent path, caption).

#include <array>
#include <string>
#include <string_view>

#include "model/tree.h"

namespace tarnu {

inline constexpr std::string_view kHotFoldersEntry = "HotFolders.hf";

class HotFolderTable {
public:
    static constexpr int kSlots = 10;

    Node* slot(int n) const { return (n >= 0 && n < kSlots) ? slots_[n] : nullptr; }

    // Binds a ZuFolder or Folder node (a Folder turns into a ZuFolder and forgets its
    // directory); file links are never bound. Returns whether the node was bound.
    bool bind(ZuTree& tree, Node* node, int n);
    void emptySlot(int n);
    void emptyAll();
    // Empties every slot that refers to the node (it is being deleted).
    void forget(const Node* node);

    std::string write() const;
    // Empties the table, then binds what the entry names; malformed triples are skipped.
    void read(ZuTree& tree, std::string_view entry);

private:
    std::array<Node*, kSlots> slots_{};
};

}  // namespace tarnu
