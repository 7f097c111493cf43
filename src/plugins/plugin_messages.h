#pragma once

// The plug-in message: the commands an action plug-in sends, during its call, to read and
// change the open ZuBook. Records are copied out of the plug-in's memory before use and never
// written back; answers that are addresses point into one result buffer owned here.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/icon_cache.h"
#include "model/tree.h"
#include "operations/locking.h"
#include "plugins/plugin_records.h"

namespace tarnu {

enum PlugInCommand : std::intptr_t {
    kCmdVersion = 1,
    kCmdProgramDir = 2,
    kCmdSelectionCount = 10,
    kCmdGetItem = 11,
    kCmdSetItem = 20,
    kCmdAddItem = 30,
    kCmdDeleteItem = 31,
    kCmdSelect = 40,
    kCmdUnselect = 41,
    kCmdSelectBelow = 42,
    kCmdUnselectBelow = 43,
    kCmdSelectAll = 48,
    kCmdClearSelection = 49,
};

inline constexpr std::string_view kInterfaceVersion = "1.2";

struct PlugInMessageParts {
    ZuTree& tree;
    IconCache& icons;
    LinkLocks& locks;
    // The directory plug-ins are told (command 2), without a trailing separator.
    std::string programDir;
    // The node that has the focus in the view, or null.
    std::function<Node*()> focused = [] { return nullptr; };
};

class PlugInMessages {
public:
    explicit PlugInMessages(PlugInMessageParts parts);

    // One message. wParam is an index or the address of a record in this process. Raises
    // Error for an index text that is no integer (set item), with nothing changed.
    std::intptr_t handle(std::uintptr_t wParam, std::intptr_t lParam);

    void setFocusSource(std::function<Node*()> focused) { parts_.focused = std::move(focused); }
    const std::string& programDir() const { return parts_.programDir; }

    // The node a path of "\"-separated captions names, markers aside; null when none.
    Node* resolvePath(std::string_view path) const;
    // The parent path of a node: its ancestors' captions, each followed by "\".
    static std::string parentPath(const Node& node);

private:
    std::intptr_t bufferAddress() const { return reinterpret_cast<std::intptr_t>(buffer_.data()); }
    std::intptr_t getItem(std::uintptr_t position);
    std::intptr_t setItem(const ItemRecord& record);
    void addItem(const ItemRecord& record);
    void deleteItem(const ItemRecord& record);
    std::intptr_t changeBelow(std::uintptr_t pathAddress, bool select);
    void selectAll();
    void applyRecord(Node& node, const ItemRecord& record);
    Node* childNamed(const Node* parent, std::string_view name) const;

    PlugInMessageParts parts_;
    ItemBytes buffer_{};
};

}  // namespace tarnu
