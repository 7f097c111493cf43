#pragma once

// The small record entries of a ZuBook file. Both address nodes by their position in the
// flat order of the tree that wrote them, and end with a 32-bit count.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/tree.h"

namespace tarnu {

inline constexpr std::string_view kPlugInsEntry = "User_FPlugIns";
inline constexpr std::string_view kUserTableEntry = "UserTable.tbl";
inline constexpr std::string_view kItemRecEntry = "ItemRec.lst";
inline constexpr std::string_view kNodesStateEntry = "NodesState.ns";

struct ItemRecord {
    std::int32_t position = 0;
    std::int32_t lockField = 0;  // non-zero: the file was locked when saved
    std::uint16_t hotKey = 0;
};

// "ItemRec.lst": 10 bytes per node with a link record, in flat order, then the count.
std::string writeItemRecords(const ZuTree& tree);
// The records an entry holds, as many whole ones as the count and the bytes allow.
std::vector<ItemRecord> readItemRecords(std::string_view entry);

// Matches records to nodes with one cursor that only moves forward: a record behind the
// cursor or past the last node ends the matching. Calls attach(node, record) per match.
template <typename Attach>
void matchItemRecords(std::span<Node* const> flatOrder, std::span<const ItemRecord> records,
                      Attach attach) {
    std::size_t cursor = 0;
    for (const auto& record : records) {
        if (record.position < 0 || static_cast<std::size_t>(record.position) < cursor ||
            static_cast<std::size_t>(record.position) >= flatOrder.size()) {
            return;
        }
        cursor = static_cast<std::size_t>(record.position);
        attach(*flatOrder[cursor], record);
    }
}

// "NodesState.ns": one byte per node in flat order (1 expanded), then the count.
std::string writeNodesState(const ZuTree& tree);
// Sets expansion flags in flat order; stops at the count or the last node.
void applyNodesState(std::string_view entry, std::span<Node* const> flatOrder);

}  // namespace tarnu
