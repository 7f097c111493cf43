#pragma once

// The plug-in side of the program for the life of the process: the extension registry and
// its files, the lists of known plug-in names, and running action and information
// plug-ins. Shipped files are only read; the user's copies live under the user data
// directory's "plugins", where installers also leave newplg.ini.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/icon_cache.h"
#include "model/tree.h"
#include "operations/locking.h"
#include "platform/ui.h"
#include "plugins/extension_registry.h"
#include "plugins/plugin_library.h"
#include "plugins/plugin_messages.h"

namespace tarnu {

inline constexpr std::string_view kRegistryFile = "ext.ini";
inline constexpr std::string_view kInfoListFile = "qplist.ini";
inline constexpr std::string_view kActionListFile = "qpactlst.ini";
inline constexpr std::string_view kNewPlugInsFile = "newplg.ini";

// The message number action plug-ins are given and send back.
inline constexpr std::uint32_t kPlugInMessage = 0xC7A1;

struct PlugInManagerParts {
    ZuTree& tree;
    IconCache& icons;
    LinkLocks& locks;
    Ui& ui;
    // Plug-ins that come with the program; read only.
    std::string shippedDir;
    // The program directory plug-ins are told; its "plugins" holds the user's files.
    std::string userDataDir;
    std::function<Node*()> focused = [] { return nullptr; };
};

class PlugInManager {
public:
    explicit PlugInManager(PlugInManagerParts parts);
    PlugInManager(const PlugInManager&) = delete;
    PlugInManager& operator=(const PlugInManager&) = delete;

    // Where the shipped plug-ins and files are; before start().
    void setShippedDir(std::string dir);
    // The view's focused node, for "select all".
    void setFocusSource(std::function<Node*()> focused) {
        messages_.setFocusSource(std::move(focused));
    }

    // Reads the registry and merges a newplg.ini that an installer left. Errors reading or
    // writing the files are shown; the program goes on with what was read.
    void start();

    ExtensionRegistry& registry() { return registry_; }
    // "Close" in the manager: ext.ini is rewritten from the registry.
    void saveRegistry();
    // The choices of the manager and the action dialog, read afresh; actions once each.
    std::vector<std::string> infoPlugInChoices() const;
    std::vector<std::string> actionPlugInChoices() const;

    // The action names the context menu offers for the first selected node.
    std::vector<std::string> contextMenuActions() const;
    // A chosen context-menu item: the caption (accelerator "&"s go) looked up for the
    // focused node's extension.
    void runContextAction(std::string_view caption, const Node* focused);
    // The plug-in of the default action for a link's path; empty when there is none.
    std::string defaultActionFor(std::string_view fullPath) const;
    // Runs an action plug-in; errors it raised, and an unsafe directory once, are shown.
    PlugInCall runAction(std::string_view name);
    PlugInCall runInfo(std::string_view name, const InfoPlugInTexts& texts, bool locked);

    const PlugInLibraries& libraries() const { return libraries_; }
    PlugInMessages& messages() { return messages_; }
    // The user's plug-in directory and the file names in it.
    std::string userPlugInDir() const;
    std::string userFile(std::string_view name) const;

private:
    struct HostWindow {
        TarnuHost host;
        PlugInManager* manager;
    };
    static std::intptr_t sendMessage(TarnuHost* host, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam);
    void report(const PlugInCall& call);
    std::string readable(std::string_view name) const;
    void appendToList(std::string_view list, const std::vector<std::string>& names);

    PlugInManagerParts parts_;
    ExtensionRegistry registry_;
    PlugInLibraries libraries_;
    PlugInMessages messages_;
    HostWindow window_;
    std::set<std::string> warnedUnsafe_;
};

// Lines of a text file; none when it cannot be read.
std::vector<std::string> readListFile(const std::string& path);

}  // namespace tarnu
