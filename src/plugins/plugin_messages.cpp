#include "plugins/plugin_messages.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

#include "common/error.h"
#include "operations/selection.h"

namespace tarnu {

namespace {

constexpr std::string_view kYes = "Yes";
constexpr std::string_view kNo = "No";

std::string withoutMarkers(std::string_view text) {
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out),
                 [](char c) { return c != ':'; });
    return out;
}

// The "\"-separated pieces of a path, empty ones left out.
std::vector<std::string_view> pathPieces(std::string_view path) {
    std::vector<std::string_view> pieces;
    while (!path.empty()) {
        const std::size_t end = std::min(path.find('\\'), path.size());
        if (end > 0) {
            pieces.push_back(path.substr(0, end));
        }
        path.remove_prefix(std::min(end + 1, path.size()));
    }
    return pieces;
}

// Copies of what a plug-in passes: the record is read once, before anything changes.
template <typename Bytes>
Bytes copyRecord(std::uintptr_t address) {
    Bytes bytes{};
    if (address != 0) {
        std::memcpy(bytes.data(), reinterpret_cast<const void*>(address), bytes.size());
    }
    return bytes;
}

std::string copyText(std::uintptr_t address) {
    return address != 0 ? readTextField(reinterpret_cast<const unsigned char*>(address))
                        : std::string();
}

int parseIndex(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        throw Error("'" + text + "' is not a valid integer value");
    }
    return value;
}

}  // namespace

PlugInMessages::PlugInMessages(PlugInMessageParts parts) : parts_(std::move(parts)) {}

std::intptr_t PlugInMessages::handle(std::uintptr_t wParam, std::intptr_t lParam) {
    ZuTree& tree = parts_.tree;
    switch (lParam) {
        case kCmdVersion:
            buffer_.fill(0);
            writeTextField(buffer_.data(), kInterfaceVersion);
            return bufferAddress();
        case kCmdProgramDir:
            buffer_.fill(0);
            writeTextField(buffer_.data(), parts_.programDir);
            return bufferAddress();
        case kCmdSelectionCount:
            return static_cast<std::intptr_t>(tree.selectionCount());
        case kCmdGetItem:
            return getItem(wParam);
        case kCmdSetItem:
            return setItem(decodeItemRecord(copyRecord<ItemBytes>(wParam)));
        case kCmdAddItem:
            addItem(decodeItemRecord(copyRecord<ItemBytes>(wParam)));
            return 0;
        case kCmdDeleteItem:
            deleteItem(decodeItemRecord(copyRecord<ItemBytes>(wParam)));
            return 0;
        case kCmdSelect:
            selectByCriteria(tree, decodeCriteria(copyRecord<CriteriaBytes>(wParam)));
            return 0;
        case kCmdUnselect:
            unselectByCriteria(tree, decodeCriteria(copyRecord<CriteriaBytes>(wParam)));
            return 0;
        case kCmdSelectBelow:
        case kCmdUnselectBelow:
            return changeBelow(wParam, lParam == kCmdSelectBelow);
        case kCmdSelectAll:
            selectAll();
            return 0;
        case kCmdClearSelection:
            tree.clearSelection();
            return 0;
        default:
            return 0;
    }
}

std::string PlugInMessages::parentPath(const Node& node) {
    std::string path;
    for (const Node* up = node.parent(); up; up = up->parent()) {
        path.insert(0, std::string(up->text(kColCaption)) + "\\");
    }
    return path;
}

std::intptr_t PlugInMessages::getItem(std::uintptr_t position) {
    buffer_.fill(0);
    const std::vector<Node*> selected = parts_.tree.selection();
    if (position >= selected.size()) {
        return bufferAddress();
    }
    const Node& node = *selected[position];
    ItemRecord record;
    record.name = withoutMarkers(node.text(kColCaption));
    record.fullPath = node.text(kColPath);
    record.parentPath = parentPath(node);
    record.kind = node.text(kColKind);
    record.hotKey = node.text(kColHotKey);
    record.lockFlag = node.text(kColLock) == kYes ? 1 : 0;
    record.noMarkFlag = node.stateIndex() == kStateNone ? 1 : 0;
    buffer_ = encodeItemRecord(record);
    return bufferAddress();
}

std::intptr_t PlugInMessages::setItem(const ItemRecord& record) {
    const int index = parseIndex(record.index);
    const std::vector<Node*> selected = parts_.tree.selection();
    if (index < 0 || static_cast<std::size_t>(index) >= selected.size()) {
        return -1;
    }
    applyRecord(*selected[static_cast<std::size_t>(index)], record);
    return 0;
}

void PlugInMessages::applyRecord(Node& node, const ItemRecord& record) {
    ZuTree& tree = parts_.tree;
    const bool zuFolder = record.kind == kKindZuFolder;
    tree.setText(&node, kColCaption, zuFolder ? ":" + record.name : record.name);
    tree.setText(&node, kColPath, record.fullPath);
    tree.setText(&node, kColKind, record.kind);
    parts_.icons.applyIconRule(node);
    tree.pictureChanged(&node);
    if (record.kind != kKindFile) {
        return;
    }
    if (node.text(kColLock) == kYes && record.lockFlag == 0) {
        parts_.locks.releaseLock(node);
        tree.setText(&node, kColLock, kNo);
        tree.setStateIndex(&node, kStateNone);
        freeLinkRecordIfEmpty(node);
    } else if (node.text(kColLock) == kNo && record.lockFlag == 1) {
        parts_.locks.takeLock(node);
        // A file that could not be locked keeps showing "No", as "Lock files" does.
        if (LinkLocks::holdsLock(node)) {
            tree.setText(&node, kColLock, kYes);
            tree.setStateIndex(&node, kStateLocked);
        } else {
            freeLinkRecordIfEmpty(node);
        }
    }
}

Node* PlugInMessages::childNamed(const Node* parent, std::string_view name) const {
    const std::string wanted = withoutMarkers(name);
    for (Node* child : parts_.tree.children(parent)) {
        if (withoutMarkers(child->text(kColCaption)) == wanted) {
            return child;
        }
    }
    return nullptr;
}

Node* PlugInMessages::resolvePath(std::string_view path) const {
    const std::vector<std::string_view> pieces = pathPieces(path);
    Node* current = nullptr;
    for (std::string_view piece : pieces) {
        current = childNamed(current, piece);
        if (!current) {
            return nullptr;
        }
    }
    return current;
}

void PlugInMessages::addItem(const ItemRecord& record) {
    ZuTree& tree = parts_.tree;
    Node* parent = nullptr;
    for (std::string_view piece : pathPieces(record.parentPath)) {
        Node* found = childNamed(parent, piece);
        if (!found) {
            found = tree.addChild(parent);
            tree.setText(found, kColCaption, ":" + std::string(piece));
            tree.setText(found, kColKind, kKindZuFolder);
            found->setImageIndex(parts_.icons.folderIcon());
            found->setSelectedImageIndex(parts_.icons.folderIcon());
            tree.pictureChanged(found);
        }
        parent = found;
    }
    applyRecord(*tree.addChild(parent), record);
}

void PlugInMessages::deleteItem(const ItemRecord& record) {
    Node* node = nullptr;
    if (!record.parentPath.empty()) {
        node = resolvePath(record.parentPath);
        if (!node) {
            return;
        }
    }
    if (!record.name.empty()) {
        node = childNamed(node, record.name);
    }
    if (node) {
        parts_.tree.deleteNode(node);
    }
}

std::intptr_t PlugInMessages::changeBelow(std::uintptr_t pathAddress, bool select) {
    ZuTree& tree = parts_.tree;
    Node* node = resolvePath(copyText(pathAddress));
    if (!node) {
        return -1;
    }
    auto inside = [node](const Node* candidate) {
        for (const Node* up = candidate ? candidate->parent() : nullptr; up; up = up->parent()) {
            if (up == node) {
                return true;
            }
        }
        return false;
    };
    for (Node* next = tree.nextInFlatOrder(node); inside(next); next = tree.nextInFlatOrder(next)) {
        if (select) {
            tree.select(next);
        } else {
            tree.deselect(next);
        }
    }
    return 0;
}

void PlugInMessages::selectAll() {
    ZuTree& tree = parts_.tree;
    if (tree.empty()) {
        return;
    }
    tree.clearSelection();
    const Node* focused = parts_.focused();
    const Node* parent = focused ? focused->parent() : nullptr;
    for (Node* node : std::vector<Node*>(tree.children(parent))) {
        tree.select(node);
    }
}

}  // namespace tarnu
