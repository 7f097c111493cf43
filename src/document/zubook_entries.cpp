#include "document/zubook_entries.h"

#include <algorithm>

#include "common/bytes.h"

namespace tarnu {

namespace {

constexpr std::size_t kItemRecordSize = 10;

std::int32_t trailingCount(std::string_view entry) {
    if (entry.size() < 4) {
        return 0;
    }
    return getI32(reinterpret_cast<const unsigned char*>(entry.data() + entry.size() - 4));
}

}  // namespace

std::string writeItemRecords(const ZuTree& tree) {
    std::string out;
    std::int32_t position = 0;
    std::int32_t count = 0;
    tree.forEachInFlatOrder([&](Node* node) {
        if (const LinkRecord* link = node->linkRecord()) {
            // Only whether the field is zero means anything once the file is closed.
            std::int32_t lockField = link->lockHandle == kNoLock ? 0 : link->lockHandle + 1;
            appendI32(out, position);
            appendI32(out, lockField);
            out.push_back(static_cast<char>(link->hotKey & 0xFF));
            out.push_back(static_cast<char>(link->hotKey >> 8));
            ++count;
        }
        ++position;
        return true;
    });
    appendI32(out, count);
    return out;
}

std::vector<ItemRecord> readItemRecords(std::string_view entry) {
    std::int32_t count = trailingCount(entry);
    std::size_t available = entry.size() >= 4 ? (entry.size() - 4) / kItemRecordSize : 0;
    std::size_t n = std::min<std::size_t>(available, static_cast<std::size_t>(std::max(count, 0)));
    std::vector<ItemRecord> records(n);
    const auto* at = reinterpret_cast<const unsigned char*>(entry.data());
    for (auto& r : records) {
        r.position = getI32(at);
        r.lockField = getI32(at + 4);
        r.hotKey = static_cast<std::uint16_t>(at[8] | at[9] << 8);
        at += kItemRecordSize;
    }
    return records;
}

std::string writeNodesState(const ZuTree& tree) {
    std::string out;
    out.reserve(tree.nodeCount() + 4);
    tree.forEachInFlatOrder([&](Node* node) {
        out.push_back(node->isExpanded() ? 1 : 0);
        return true;
    });
    appendI32(out, static_cast<std::int32_t>(out.size()));
    return out;
}

void applyNodesState(std::string_view entry, std::span<Node* const> flatOrder) {
    std::int32_t count = trailingCount(entry);
    std::size_t flags = entry.size() >= 4 ? entry.size() - 4 : 0;
    std::size_t n =
        std::min({static_cast<std::size_t>(std::max(count, 0)), flags, flatOrder.size()});
    for (std::size_t i = 0; i < n; ++i) {
        flatOrder[i]->setExpanded(entry[i] != 0);
    }
}

}  // namespace tarnu
