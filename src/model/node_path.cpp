#include "model/node_path.h"

#include <vector>

namespace tarnu {

namespace {

bool sameWithoutMarkers(std::string_view a, std::string_view b) {
    auto next = [](std::string_view s, std::size_t& i) {
        while (i < s.size() && s[i] == ':') {
            ++i;
        }
        return i < s.size();
    };
    std::size_t i = 0;
    std::size_t j = 0;
    while (true) {
        bool moreA = next(a, i);
        bool moreB = next(b, j);
        if (!moreA || !moreB) {
            return moreA == moreB;
        }
        if (a[i++] != b[j++]) {
            return false;
        }
    }
}

}  // namespace

std::string parentPath(const Node* node) {
    std::vector<std::string_view> captions;
    for (const Node* up = node->parent(); up; up = up->parent()) {
        captions.push_back(up->text(kColCaption));
    }
    std::string path;
    for (auto it = captions.rbegin(); it != captions.rend(); ++it) {
        path += *it;
        path += '\\';
    }
    return path;
}

Node* findChildByName(const ZuTree& tree, const Node* parent, std::string_view name) {
    for (Node* child : tree.children(parent)) {
        if (sameWithoutMarkers(child->text(kColCaption), name)) {
            return child;
        }
    }
    return nullptr;
}

Node* resolveNodePath(const ZuTree& tree, std::string_view path) {
    Node* current = nullptr;
    bool anyPiece = false;
    while (!path.empty()) {
        auto cut = path.find('\\');
        auto piece = path.substr(0, cut);
        path = cut == std::string_view::npos ? std::string_view{} : path.substr(cut + 1);
        if (piece.empty()) {
            continue;
        }
        anyPiece = true;
        current = findChildByName(tree, current, piece);
        if (!current) {
            return nullptr;
        }
    }
    return anyPiece ? current : nullptr;
}

}  // namespace tarnu
