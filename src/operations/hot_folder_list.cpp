#include "operations/hot_folder_list.h"

#include "model/node_path.h"

namespace tarnu {

std::vector<HotFolderRow> hotFolderRows(const HotFolderTable& table) {
    std::vector<HotFolderRow> rows;
    for (int n = 0; n < HotFolderTable::kSlots; ++n) {
        if (const Node* node = table.slot(n)) {
            rows.push_back({n, "Ctrl+" + std::to_string(n + 1),
                            parentPath(node) + std::string(node->text(kColCaption))});
        }
    }
    return rows;
}

bool selectHotFolder(ZuTree& tree, const HotFolderTable& table, int slot) {
    Node* node = table.slot(slot);
    if (!node) {
        return false;
    }
    tree.clearSelection();
    tree.select(node);
    return true;
}

}  // namespace tarnu
