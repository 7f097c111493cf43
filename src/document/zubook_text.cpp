#include "document/zubook_text.h"

#include <cstdio>
#include <map>

#include "common/error.h"
#include "common/stream.h"
#include "common/system_memory.h"
#include "common/text_lines.h"
#include "document/zubook_entries.h"
#include "model/node_stream.h"

namespace tarnu {

namespace {

std::size_t depthOf(const Node* node) {
    std::size_t depth = 0;
    for (const Node* up = node->parent(); up; up = up->parent()) {
        ++depth;
    }
    return depth;
}

void addField(std::string& line, std::string_view label, std::string_view value) {
    if (!value.empty()) {
        line += "  ";
        line += label;
        line += value;
    }
}

std::string hex(unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", value);
    return buffer;
}

void describeTree(std::string& out, ZuBookReader& reader, ZuTree& tree) {
    auto order = reader.readTree(tree, availableMemory());
    std::map<const Node*, ItemRecord> records;
    matchItemRecords(order, readItemRecords(reader.itemRecords(order.size())),
                     [&](Node& node, const ItemRecord& r) { records[&node] = r; });
    if (auto nodesState = reader.nodesState(order.size())) {
        applyNodesState(*nodesState, order);
    }
    out += "Tree: " + std::to_string(order.size()) + " nodes\n";
    for (const Node* node : order) {
        std::string line(2 * (depthOf(node) + 1), ' ');
        line += node->text(kColCaption);
        addField(line, "", node->text(kColKind));
        addField(line, "", node->text(kColPath));
        addField(line, "lock ", node->text(kColLock));
        addField(line, "hot key ", node->text(kColHotKey));
        if (node->stateIndex() != kStateNone) {
            addField(line, "state ", std::to_string(node->stateIndex()));
        }
        if (node->isExpanded()) {
            line += "  expanded";
        }
        if (auto r = records.find(node); r != records.end()) {
            line += std::string("  record(") + (r->second.lockField ? "locked" : "unlocked") +
                    ", hot key " + hex(r->second.hotKey) + ")";
        }
        addField(line, "comment: ", node->text(kColComment));
        out += line + "\n";
    }
}

void describeHotFolders(std::string& out, std::string_view entry) {
    auto lines = splitLines(entry);
    out += "Hot folders:\n";
    for (std::size_t i = 0; i + 3 <= lines.size(); i += 3) {
        out += "  slot " + lines[i] + ": " + lines[i + 1] + lines[i + 2] + "\n";
    }
}

void describeShared(std::string& out, ZuBookReader& reader, EntryReader& in) {
    AsciiCollation collation;
    ZuTree tree(collation);
    auto order = reader.naming([&] {
        auto read = readNodeStream(tree, in, availableMemory());
        in.finish();
        return read;
    });
    out += "Shared files:\n";
    for (const Node* node : order) {
        std::string line(2 * (depthOf(node) + 1), ' ');
        line += node->text(0);
        addField(line, "", node->text(1));
        addField(line, "size ", node->text(2));
        out += line + "\n";
    }
}

}  // namespace

std::string describeZuBook(ZuBookReader& reader) {
    std::string out;
    AsciiCollation collation;
    ZuTree tree(collation);
    describeTree(out, reader, tree);
    if (auto hotFolders = reader.hotFolders(tree)) {
        describeHotFolders(out, *hotFolders);
    }
    if (auto shared = reader.sharedFiles()) {
        describeShared(out, reader, *shared);
    }
    if (auto size = reader.entrySize(kPlugInsEntry)) {
        out += "Plug-in data: " + std::to_string(*size) + " bytes\n";
    }
    return out;
}

void buildFromOutline(ZuTree& tree, std::string_view outline) {
    std::vector<Node*> levels;  // the last node seen on each level
    int number = 0;
    for (const std::string& raw : splitLines(outline)) {
        ++number;
        std::string_view line = raw;
        std::size_t indent = line.find_first_not_of(' ');
        if (indent == std::string_view::npos || line[indent] == '#') {
            continue;
        }
        std::size_t level = indent / 2;
        if (indent % 2 != 0 || level > levels.size()) {
            throw Error("Outline line " + std::to_string(number) + ": indent skips a level");
        }
        line.remove_prefix(indent);
        std::string_view name = line.substr(0, line.find(" | "));
        std::string_view comment =
            name.size() < line.size() ? line.substr(name.size() + 3) : std::string_view{};
        levels.resize(level);
        Node* node = tree.addChild(levels.empty() ? nullptr : levels.back());
        tree.setText(node, kColCaption, std::string(":") + std::string(name));
        tree.setText(node, kColKind, kKindZuFolder);
        if (!comment.empty()) {
            tree.setText(node, kColComment, comment);
        }
        levels.push_back(node);
    }
}

}  // namespace tarnu
