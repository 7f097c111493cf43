#include "operations/hotkey_manager.h"

#include <algorithm>
#include <string>

#include "model/hotkey_text.h"

namespace tarnu {

namespace {

constexpr const char* kAtomPrefix = "HotKeyManagerHotKey";

}  // namespace

THotKeyManager::THotKeyManager(GlobalHotKeys& keys) : keys_(keys) {
    keys_.setPressedHandler(
        [this](int id, unsigned modifiers, unsigned vk) { pressed(id, modifiers, vk); });
}

THotKeyManager::~THotKeyManager() {
    releaseAll();
    keys_.setPressedHandler(nullptr);
}

unsigned THotKeyManager::modifierFlags(std::uint32_t value) {
    unsigned flags = 0;
    flags |= (value & kHotKeyAlt) ? kModAlt : 0;
    flags |= (value & kHotKeyCtrl) ? kModControl : 0;
    flags |= (value & kHotKeyShift) ? kModShift : 0;
    flags |= (value & kHotKeyWin) ? kModWin : 0;
    return flags;
}

std::uint32_t THotKeyManager::valueOf(unsigned modifierFlags, unsigned vk) {
    std::uint32_t value = vk;
    value += (modifierFlags & kModShift) ? kHotKeyShift : 0;
    value += (modifierFlags & kModControl) ? kHotKeyCtrl : 0;
    value += (modifierFlags & kModAlt) ? kHotKeyAlt : 0;
    value += (modifierFlags & kModWin) ? kHotKeyWin : 0;
    return value;
}

std::uint16_t THotKeyManager::registerHotKey(std::uint32_t value) {
    std::uint16_t id = atoms_.add(kAtomPrefix + std::to_string(value));
    if (id == 0) {
        return 0;
    }
    if (!keys_.grab(id, modifierFlags(value), value & 0xFF)) {
        atoms_.remove(id);
        return 0;
    }
    entries_.push_back({value, id});
    return id;
}

std::uint16_t THotKeyManager::replace(std::uint16_t id, std::uint32_t value) {
    auto held = std::find_if(entries_.begin(), entries_.end(),
                             [id](const Entry& entry) { return entry.id == id; });
    if (held == entries_.end()) {
        return 0;
    }
    releaseAt(static_cast<std::size_t>(held - entries_.begin()));
    return registerHotKey(value);
}

bool THotKeyManager::releaseAt(std::size_t index) {
    std::uint16_t id = entries_[index].id;
    bool released = keys_.release(id);
    atoms_.remove(id);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    return released;
}

bool THotKeyManager::release(std::uint32_t value) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].value == (value & 0xFFFF)) {
            return releaseAt(i);
        }
    }
    return false;
}

bool THotKeyManager::releaseById(std::uint16_t id) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].id == id) {
            return releaseAt(i);
        }
    }
    return false;
}

void THotKeyManager::releaseAll() {
    while (!entries_.empty()) {
        releaseAt(entries_.size() - 1);
    }
}

bool THotKeyManager::isRegistered(std::uint32_t value) const {
    for (const auto& entry : entries_) {
        if (entry.value == value) {
            return true;
        }
    }
    return false;
}

void THotKeyManager::pressed(int id, unsigned modifierFlags, unsigned vk) {
    if (!OnHotKeyPressed) {
        return;
    }
    std::uint32_t value = valueOf(modifierFlags, vk);
    if (isRegistered(value)) {
        OnHotKeyPressed(value, static_cast<std::uint16_t>(id));
    }
}

}  // namespace tarnu
