#pragma once

// Selecting and unselecting nodes of the tree by a wildcard pattern, with filters by kind.

#include "model/tree.h"
#include "plugins/plugin_records.h"

namespace tarnu {

// Visits every node in flat order and selects those not yet selected whose kind is not
// skipped and whose text matches; clears the selection first when asked. Only siblings of
// the first selected node can join.
void selectByCriteria(ZuTree& tree, const SelectionCriteria& criteria);

// Unselects the selected nodes that would match. The clear flag plays no part.
void unselectByCriteria(ZuTree& tree, const SelectionCriteria& criteria);

}  // namespace tarnu
