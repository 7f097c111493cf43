#pragma once

// Naming nodes by the captions of their ancestors: "parent paths" such as ":Docs\:Work\" in
// stored entries and plug-in records. The separator is "\" in every such text.

#include <string>
#include <string_view>

#include "model/tree.h"

namespace tarnu {

// The column-0 texts of the node's ancestors from the top level down, each followed by "\";
// empty for a top-level node.
std::string parentPath(const Node* node);

// The first child of parent (the top level when null) whose caption equals name, both with
// every ":" removed; exact and case-sensitive.
Node* findChildByName(const ZuTree& tree, const Node* parent, std::string_view name);

// Walks the pieces of a path ("\"-separated, empty pieces skipped) from the top level down;
// null when a piece finds no node or the path has no pieces.
Node* resolveNodePath(const ZuTree& tree, std::string_view path);

}  // namespace tarnu
