#pragma once

// The program's system-wide hot keys: values (virtual key in bits 0-7 with the Shift, Ctrl,
// Alt and Win bits of model/hotkey_text.h) held through the GlobalHotKeys port.

#include <cstdint>
#include <functional>
#include <vector>

#include "operations/atom_table.h"
#include "platform/global_hot_keys.h"

namespace tarnu {

class THotKeyManager {
public:
    struct Entry {
        std::uint32_t value;
        std::uint16_t id;
    };

    // Takes over the port's pressed handler; the port must outlive the manager.
    explicit THotKeyManager(GlobalHotKeys& keys);
    // Releases what is still registered.
    ~THotKeyManager();
    THotKeyManager(const THotKeyManager&) = delete;
    THotKeyManager& operator=(const THotKeyManager&) = delete;

    // The id under which the value is now held, or 0 when it was refused.
    std::uint16_t registerHotKey(std::uint32_t value);
    // Releases the entry with that id and registers the new value: the new id, or 0. With no
    // such entry nothing changes and the result is 0.
    std::uint16_t replace(std::uint16_t id, std::uint32_t value);
    // Releases the first entry whose value equals the argument's low 16 bits; false when
    // there is none or the system did not release it.
    bool release(std::uint32_t value);
    bool releaseById(std::uint16_t id);
    // Releases every entry, the last added first.
    void releaseAll();
    bool isRegistered(std::uint32_t value) const;

    // In the order added.
    const std::vector<Entry>& entries() const { return entries_; }

    // Raised with the value and id of a registered combination that was pressed.
    std::function<void(std::uint32_t value, std::uint16_t id)> OnHotKeyPressed;

    // Port modifier flags and virtual key of a value, and back.
    static unsigned modifierFlags(std::uint32_t value);
    static std::uint32_t valueOf(unsigned modifierFlags, unsigned vk);

private:
    bool releaseAt(std::size_t index);
    void pressed(int id, unsigned modifierFlags, unsigned vk);

    GlobalHotKeys& keys_;
    AtomTable atoms_;
    std::vector<Entry> entries_;
};

}  // namespace tarnu
