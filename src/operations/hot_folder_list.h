#pragma once

// What the hot-folders dialog lists and does: one row per bound slot, and selecting the
// folder of a row.

#include <string>
#include <vector>

#include "document/hot_folders.h"
#include "model/tree.h"

namespace tarnu {

struct HotFolderRow {
    int slot = 0;
    std::string key;   // "Ctrl+" and the digit
    std::string path;  // the parent path directly followed by the caption
};

std::vector<HotFolderRow> hotFolderRows(const HotFolderTable& table);

// "Select folder": the slot's node becomes the only selected node. The slot's own node is
// taken rather than its path looked up again, which would find the first of two folders of
// one name. False when the slot is empty.
bool selectHotFolder(ZuTree& tree, const HotFolderTable& table, int slot);

}  // namespace tarnu
