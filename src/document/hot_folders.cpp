#include "document/hot_folders.h"

#include <algorithm>
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

// A name as the entry stores it. The entry is a text of lines, so a line break inside a
// name (a directory name may hold one) is stored as a blank; written as it is, it would
// shift this slot and every later one.
std::string storedName(std::string_view name) {
    std::string out(name);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return out;
}

bool sameStoredName(std::string_view caption, std::string_view stored) {
    auto withoutMarkers = [](std::string s) {
        std::erase(s, ':');
        return s;
    };
    return withoutMarkers(storedName(caption)) == withoutMarkers(std::string(stored));
}

Node* childNamed(const ZuTree& tree, const Node* parent, std::string_view stored,
                 bool zuFolderOnly) {
    for (Node* child : tree.children(parent)) {
        if ((!zuFolderOnly || child->kind() == NodeKind::ZuFolder) &&
            sameStoredName(child->text(kColCaption), stored)) {
            return child;
        }
    }
    return nullptr;
}

// The node-path rule over stored names: null when a piece finds nothing or there is none.
Node* resolveStoredPath(const ZuTree& tree, std::string_view path) {
    Node* current = nullptr;
    while (!path.empty()) {
        const auto cut = path.find('\\');
        const auto piece = path.substr(0, cut);
        path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
        if (!piece.empty()) {
            current = childNamed(tree, current, piece, false);
            if (!current) {
                return nullptr;
            }
        }
    }
    return current;
}

}  // namespace

bool HotFolderTable::bind(ZuTree& tree, Node* node, int n) {
    if (!node || n < 0 || n >= kSlots || node->kind() == NodeKind::File) {
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
            out += storedName(parentPath(node)) + "\r\n";
            out += storedName(node->text(kColCaption)) + "\r\n";
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
        // An empty or unresolvable parent path means the top level. Only a ZuFolder is
        // taken: binding a Folder link of the same name would wipe its directory.
        Node* parent = resolveStoredPath(tree, lines[i + 1]);
        if (Node* node = childNamed(tree, parent, lines[i + 2], true)) {
            bind(tree, node, n);
        }
    }
}

}  // namespace tarnu
