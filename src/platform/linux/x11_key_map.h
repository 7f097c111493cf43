#pragma once

// Virtual-key codes of hot-key values and the X KeySyms of the same keys.

namespace tarnu {

// The KeySym of a virtual key (0-255) on a US layout; 0 (NoSymbol) when it has none. Shift,
// Ctrl and Alt have none: as the key of a combination their names would read as modifiers.
unsigned long keySymForVirtualKey(unsigned vk);

}  // namespace tarnu
