#pragma once

#include <functional>

namespace tarnu {

// Modifier flags of a system-wide key combination.
inline constexpr unsigned kModAlt = 1;
inline constexpr unsigned kModControl = 2;
inline constexpr unsigned kModShift = 4;
inline constexpr unsigned kModWin = 8;

// System-wide key combinations: a virtual-key code (0-255) with modifier flags, held under
// an id chosen by the caller.
class GlobalHotKeys {
public:
    // Called with the id, the modifier flags and the virtual key of a held combination that
    // was pressed.
    using PressedHandler = std::function<void(int id, unsigned modifiers, unsigned vk)>;

    virtual ~GlobalHotKeys() = default;
    // Holds the combination under id; false when it is refused: another program or this one
    // already holds it, the id is in use, or the key cannot be grabbed here.
    virtual bool grab(int id, unsigned modifiers, unsigned vk) = 0;
    // Gives the combination held under id back; false when none is held under it or the
    // system did not release it.
    virtual bool release(int id) = 0;
    virtual void setPressedHandler(PressedHandler handler) = 0;
    // Whether this session can hold system-wide keys at all.
    virtual bool available() const { return true; }
};

}  // namespace tarnu
