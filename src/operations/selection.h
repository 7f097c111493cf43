#pragma once

// Finding nodes of the open ZuBook by a wildcard pattern: the search dialog's step to the
// next matching caption, and selecting every node that matches a set of criteria.

#include <optional>
#include <string>
#include <string_view>

#include "model/tree.h"

namespace tarnu {

// Patterns are cut to this many characters.
inline constexpr std::size_t kMaxPatternLength = 255;

// Which text of a node the pattern is matched against.
enum class MatchedText { Caption = 0, FullPath = 1, FileName = 2 };

struct SelectionCriteria {
    std::string pattern;
    bool clear = false;
    bool skipZuFolders = false;
    bool skipFolders = false;
    bool skipFiles = false;
    bool caseSensitive = false;
    MatchedText text = MatchedText::Caption;
};

// Selects every node, in flat order, whose text matches, as far as the tree's rule that
// only siblings are selected together allows. Returns how many nodes it selected.
std::size_t selectByCriteria(ZuTree& tree, const SelectionCriteria& criteria);

// Unselects the selected nodes that match. The clear flag plays no part.
void unselectByCriteria(ZuTree& tree, const SelectionCriteria& criteria);

// "Search": the first node from the one after the first selected node (or from the top when
// nothing is selected) whose caption holds the text. The match becomes the only selected
// node. Past the last node the selection is cleared, so that the next search starts at the
// top; without a match nothing changes. Returns the match.
Node* searchNext(ZuTree& tree, std::string_view text, bool caseSensitive);

// The expand-selection dialog's choices with the pattern cut to length; nothing when the
// pattern is blank (the dialog then stays open).
std::optional<SelectionCriteria> criteriaFrom(SelectionCriteria choices);

}  // namespace tarnu
