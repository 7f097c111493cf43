#include "document/hot_folders.h"

#include <charconv>

#include "common/text_lines.h"
#include "model/node_path.h"

namespace tarnu {

namespace {

int slotNumber(std::string_view line) {
    int n = -1;
    auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), n);
    if (error != std::errc() || end != line.data() + line.size()) {
        return -1;
    }
    return (n >= 0 && n < HotFolderTable::kSlots) ? n : -1;
}

}  // namespace

bool HotFolderTable::bind(ZuTree& tree, Node* node, int n) {
    if (!node || n < 0 || n >= kSlots || node->kind() == kKindFile) {
        return false;
    }
    tree.setText(node, kColPath, "");
    tree.setText(node, kColKind, kKindZuFolder);
    slots_[n] = node;
    return true;
}

void HotFolderTable::emptySlot(int n) {
    if (n >= 0 && n < kSlots) {
        slots_[n] = nullptr;
    }
}

void HotFolderTable::emptyAll() {
    slots_.fill(nullptr);
}

void HotFolderTable::forget(const Node* node) {
    for (auto& s : slots_) {
        if (s == node) {
            s = nullptr;
        }
    }
}

std::string HotFolderTable::write() const {
    std::string out;
    for (int n = 0; n < kSlots; ++n) {
        if (const Node* node = slots_[n]) {
            out += std::to_string(n) + "\r\n";
            out += parentPath(node) + "\r\n";
            out += std::string(node->text(kColCaption)) + "\r\n";
        }
    }
    return out;
}

void HotFolderTable::read(ZuTree& tree, std::string_view entry) {
    emptyAll();
    auto lines = splitLines(entry);
    for (std::size_t i = 0; i + 3 <= lines.size(); i += 3) {
        int n = slotNumber(lines[i]);
        if (n < 0) {
            continue;
        }
        // An empty or unresolvable parent path means the top level.
        Node* parent = resolveNodePath(tree, lines[i + 1]);
        if (Node* node = findChildByName(tree, parent, lines[i + 2])) {
            bind(tree, node, n);
        }
    }
}

}  // namespace tarnu
