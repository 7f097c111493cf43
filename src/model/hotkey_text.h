#pragma once

// The hot-key value (virtual key in bits 0-7, Shift 0x2000, Ctrl 0x4000, Alt 0x8000,
// Win 0x10000) and its text form, e.g. "Ctrl+Alt+A".

#include <cstdint>
#include <string>
#include <string_view>

#include "model/key_names.h"

namespace tarnu {

inline constexpr std::uint32_t kHotKeyShift = 0x2000;
inline constexpr std::uint32_t kHotKeyCtrl = 0x4000;
inline constexpr std::uint32_t kHotKeyAlt = 0x8000;
inline constexpr std::uint32_t kHotKeyWin = 0x10000;

// The text that shows and hides the program, and what it parses to on a US English layout.
inline constexpr std::string_view kFixedHotKeyText = "Ctrl + `";

class HotKeyText {
public:
    // Takes the local modifier names from the table once.
    explicit HotKeyText(KeyNameTable table = KeyNameTable::usEnglish());

    std::string format(std::uint32_t value) const;
    // 0 when the text is not a valid combination.
    std::uint32_t parse(std::string_view text) const;

    std::string_view keyName(unsigned vk) const { return table_.name(vk & 0xFF); }

private:
    struct Modifier {
        std::uint32_t bit;
        std::string english;
        std::string local;
    };

    std::uint32_t modifierBit(std::string_view piece) const;
    bool isModifierNameExact(std::string_view text) const;
    unsigned keyByName(std::string_view text) const;

    KeyNameTable table_;
    Modifier modifiers_[4];  // in the order Ctrl, Shift, Alt, Win
};

}  // namespace tarnu
