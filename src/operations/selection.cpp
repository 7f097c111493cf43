#include "operations/selection.h"

#include <algorithm>

#include "common/path.h"
#include "model/wildcard.h"

namespace tarnu {

namespace {

bool kindSkipped(const Node& node, const SelectionCriteria& criteria) {
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

std::string_view textToMatch(const Node& node, MatchedText which) {
    switch (which) {
        case MatchedText::Caption:
            return node.text(kColCaption);
        case MatchedText::FullPath:
            return node.text(kColPath);
        case MatchedText::FileName:
            return path::fileName(node.text(kColPath));
    }
    return {};
}

std::string cutPattern(std::string pattern) {
    if (pattern.size() > kMaxPatternLength) {
        pattern.resize(kMaxPatternLength);
    }
    return pattern;
}

}  // namespace

bool matches(const Node& node, const SelectionCriteria& criteria) {
    return !kindSkipped(node, criteria) &&
           wildcardMatch(criteria.pattern, textToMatch(node, criteria.text),
                         criteria.caseSensitive);
}

std::size_t selectByCriteria(ZuTree& tree, const SelectionCriteria& criteria) {
    if (tree.empty()) {
        return 0;
    }
    if (criteria.clear) {
        tree.clearSelection();
    }
    // The tree tells no one about selection changes; the view reads the selection once the
    // command has returned, so the whole walk is one update.
    std::size_t selected = 0;
    tree.forEachInFlatOrder([&](Node* node) {
        if (!node->isSelected() && matches(*node, criteria) && tree.select(node)) {
            ++selected;
        }
        return true;
    });
    return selected;
}

void unselectByCriteria(ZuTree& tree, const SelectionCriteria& criteria) {
    const std::vector<Node*> selected = tree.selection();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        if (matches(**it, criteria)) {
            tree.deselect(*it);
        }
    }
}

Node* searchNext(ZuTree& tree, std::string_view text, bool caseSensitive) {
    Node* start = tree.firstTopLevel();
    if (tree.selectionCount() > 0) {
        start = tree.nextInFlatOrder(tree.selection().front());
        if (!start) {
            tree.clearSelection();
            return nullptr;
        }
    }
    const std::string pattern = cutPattern("*" + std::string(text) + "*");
    // One walk in flat order: stepping node by node would look up each node's place among
    // its siblings again.
    Node* match = nullptr;
    bool started = false;
    tree.forEachInFlatOrder([&](Node* node) {
        started = started || node == start;
        if (started && wildcardMatch(pattern, node->text(kColCaption), caseSensitive)) {
            match = node;
        }
        return match == nullptr;
    });
    if (match) {
        tree.clearSelection();
        tree.select(match);
    }
    return match;
}

std::optional<SelectionCriteria> criteriaFrom(SelectionCriteria choices) {
    const bool blank = std::ranges::all_of(
        choices.pattern, [](char c) { return static_cast<unsigned char>(c) <= 32; });
    if (blank) {
        return std::nullopt;
    }
    choices.pattern = cutPattern(std::move(choices.pattern));
    return choices;
}

}  // namespace tarnu
