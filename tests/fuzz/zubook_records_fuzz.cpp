// "ItemRec.lst" and "NodesState.ns" applied to a small tree; the input's first byte chooses
// the tree's size and the rest is split between the two entries.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "document/zubook_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    tarnu::AsciiCollation collation;
    tarnu::ZuTree tree(collation);
    std::vector<tarnu::Node*> order;
    for (int i = 0; i < data[0] % 32; ++i) {
        order.push_back(tree.addChild(i % 3 == 0 || order.empty() ? nullptr : order.back()));
    }
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    auto half = rest.size() / 2;
    auto records = tarnu::readItemRecords(rest.substr(0, half));
    tarnu::matchItemRecords(order, records, [](tarnu::Node& node, const tarnu::ItemRecord& r) {
        node.ensureLinkRecord().hotKey = r.hotKey;
    });
    tarnu::applyNodesState(rest.substr(half), order);
    tarnu::writeItemRecords(tree);
    tarnu::writeNodesState(tree);
    return 0;
}
