#pragma once

// "Set hotkey...", "Delete hotkey" and what a pressed link hot key does.

#include <cstdint>
#include <functional>
#include <optional>

#include "model/hotkey_text.h"
#include "model/tree.h"
#include "operations/hotkey_manager.h"
#include "operations/link_opening.h"
#include "operations/locking.h"
#include "operations/tree_busy.h"
#include "platform/ui.h"

namespace tarnu {

// The key-combination control's rule: a combination needs a modifier other than Shift
// alone; such a key is taken with Alt instead. 0 stays 0.
std::uint32_t hotKeyControlValue(std::uint32_t value);

struct HotKeyParts {
    ZuTree& tree;
    THotKeyManager& manager;
    const HotKeyText& text;
    LinkOpener& opener;
    Ui& ui;
    TreeBusy& busy;
    AutoSave autoSave;
    // Whether system-wide keys can be held in this session at all.
    std::function<bool()> globalKeysAvailable = [] { return true; };
};

class HotKeyCommands {
public:
    // Shows the dialog modally with the value it starts from; its "Set" button calls set,
    // which tells whether the dialog closes.
    using SetFunction = std::function<bool(std::uint32_t value)>;
    using Dialog = std::function<void(std::uint32_t initial, const SetFunction& set)>;

    // Everything in the parts must outlive this object.
    explicit HotKeyCommands(HotKeyParts parts) : parts_(std::move(parts)) {}

    void aSetHotKeyExecute(Node* focused, const Dialog& dialog);
    // The dialog's "Set" for the node: true when the dialog closes.
    bool set(Node& node, std::uint32_t value);
    void aUnsetHotKeyExecute(Node* focused);
    // A link's hot key was pressed: opens the first link in flat order that carries it.
    void openLinkOf(std::uint32_t value);

    static constexpr const char* kNeedsX11 =
        "Global hot keys need an X11 session. This desktop session has no X11 display (a "
        "Wayland session without X11), so Tarnu cannot hold hot keys here.";

private:
    bool explainedUnavailable();
    void refused(std::uint32_t value, bool hadKey);

    HotKeyParts parts_;
};

}  // namespace tarnu
