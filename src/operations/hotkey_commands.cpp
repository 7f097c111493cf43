#include "operations/hotkey_commands.h"

#include <string>

namespace tarnu {

namespace {

constexpr std::uint32_t kModifierBits = kHotKeyShift | kHotKeyCtrl | kHotKeyAlt | kHotKeyWin;
// Link hot keys are stored in 16 bits.
constexpr std::uint32_t kStoredBits = 0xFFFF;

}  // namespace

std::uint32_t hotKeyControlValue(std::uint32_t value) {
    const std::uint32_t modifiers = value & kModifierBits;
    if (value == 0 || (modifiers != 0 && modifiers != kHotKeyShift)) {
        return value;
    }
    return (value & ~kModifierBits) | kHotKeyAlt;
}

bool HotKeyCommands::explainedUnavailable() {
    if (parts_.globalKeysAvailable()) {
        return false;
    }
    parts_.ui.showMessage(kNeedsX11);
    return true;
}

void HotKeyCommands::aSetHotKeyExecute(Node* focused, const Dialog& dialog) {
    if (!focused || focused->kind() == NodeKind::ZuFolder || explainedUnavailable()) {
        return;
    }
    // The dialog runs the event loop: the node must stay.
    TreeBusy::Hold hold(parts_.busy);
    dialog(parts_.text.parse(focused->text(kColHotKey)),
           [this, focused](std::uint32_t value) { return set(*focused, value); });
}

void HotKeyCommands::refused(std::uint32_t value, bool hadKey) {
    parts_.ui.showMessage("The hot key " + parts_.text.format(value) +
                          " is already held by another program or another link." +
                          (hadKey ? " The link keeps its hot key." : ""));
}

bool HotKeyCommands::set(Node& node, std::uint32_t value) {
    if (value == 0 || (value & ~kStoredBits) != 0) {
        return false;
    }
    const std::uint32_t old = parts_.text.parse(node.text(kColHotKey));
    const bool hadKey = !node.text(kColHotKey).empty();
    if (hadKey && old == value) {
        return false;
    }
    // The new key is held before the old one goes, so that a refused key leaves the old one
    // working; the manager would hold a second link's key twice over.
    if (parts_.manager.isRegistered(value) || parts_.manager.registerHotKey(value) == 0) {
        refused(value, hadKey);
    } else {
        if (hadKey) {
            parts_.manager.release(old);
        }
        parts_.tree.setText(&node, kColHotKey, parts_.text.format(value));
        node.ensureLinkRecord().hotKey = static_cast<std::uint16_t>(value);
    }
    if (parts_.autoSave) {
        parts_.autoSave();
    }
    return true;
}

void HotKeyCommands::aUnsetHotKeyExecute(Node* focused) {
    if (!focused) {
        return;
    }
    if (focused->text(kColHotKey).empty()) {
        explainedUnavailable();  // a session without global keys is why none is set
        return;
    }
    parts_.manager.release(parts_.text.parse(focused->text(kColHotKey)));
    parts_.tree.setText(focused, kColHotKey, "");
    if (LinkRecord* record = focused->linkRecord()) {
        record->hotKey = 0;
        freeLinkRecordIfEmpty(*focused);
    }
    if (parts_.autoSave) {
        parts_.autoSave();
    }
}

void HotKeyCommands::openLinkOf(std::uint32_t value) {
    Node* found = nullptr;
    parts_.tree.forEachInFlatOrder([&](Node* node) {
        if (parts_.text.parse(node->text(kColHotKey)) != value) {
            return true;
        }
        found = node;
        return false;
    });
    if (found) {
        parts_.opener.shellOpen(found->text(kColPath));
    }
}

}  // namespace tarnu
