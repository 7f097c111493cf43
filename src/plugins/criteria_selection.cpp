#include "plugins/criteria_selection.h"

#include "common/path.h"
#include "model/wildcard.h"

namespace tarnu {

namespace {

bool skipped(const Node& node, const SelectionCriteria& criteria) {
    switch (node.kind()) {
        case NodeKind::ZuFolder:
            return criteria.skipZuFolders;
        case NodeKind::Folder:
            return criteria.skipFolders;
        case NodeKind::File:
            return criteria.skipFiles;
        case NodeKind::None:
            break;
    }
    return false;
}

std::string_view textToMatch(const Node& node, MatchText match) {
    switch (match) {
        case MatchText::FullPath:
            return node.text(kColPath);
        case MatchText::FileName:
            return path::fileName(node.text(kColPath));
        case MatchText::Caption:
            break;
    }
    return node.text(kColCaption);
}

bool matches(const Node& node, const SelectionCriteria& criteria) {
    return !skipped(node, criteria) &&
           wildcardMatch(criteria.pattern, textToMatch(node, criteria.match),
                         criteria.caseSensitive);
}

}  // namespace

void selectByCriteria(ZuTree& tree, const SelectionCriteria& criteria) {
    if (tree.empty()) {
        return;
    }
    if (criteria.clear) {
        tree.clearSelection();
    }
    tree.forEachInFlatOrder([&](Node* node) {
        if (!node->isSelected() && matches(*node, criteria)) {
            tree.select(node);
        }
        return true;
    });
}

void unselectByCriteria(ZuTree& tree, const SelectionCriteria& criteria) {
    const std::vector<Node*> selected = tree.selection();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        if (matches(**it, criteria)) {
            tree.deselect(*it);
        }
    }
}

}  // namespace tarnu
