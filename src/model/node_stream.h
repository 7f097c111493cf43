#pragma once

// The byte format of a whole tree: a marker (-1), the number of top-level nodes, then one
// record per node in flat order. The ZuBook tree and the shared tree are stored this way.

#include <cstddef>
#include <limits>
#include <string_view>
#include <vector>

#include "common/stream.h"
#include "model/tree.h"

namespace tarnu {

inline constexpr std::int32_t kNodeHeaderLength = 24;

void writeNodeStream(const ZuTree& tree, Stream& out);

inline constexpr std::string_view kTreeTooLarge =
    "The tree needs more memory than this computer can give";

// Replaces the whole tree by the stream's content and returns the nodes in the order they
// were read, which is the flat order of the tree that wrote them (records of a ZuBook
// address nodes by positions in that order). Raises "Stream read error" when the stream
// ends early, and kTreeTooLarge before the tree and that order would take more than
// memoryBudget bytes; the nodes read so far stay in the tree.
std::vector<Node*> readNodeStream(
    ZuTree& tree, Stream& in, std::size_t memoryBudget = std::numeric_limits<std::size_t>::max());

// About what one node takes in memory besides its texts: the node and its allocations, its
// place among its parent's children and in the order returned.
std::size_t nodeMemory(std::size_t textBytes);

}  // namespace tarnu
