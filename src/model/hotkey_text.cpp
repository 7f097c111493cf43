#include "model/hotkey_text.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tarnu {

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return upperAscii(x) == upperAscii(y);
           });
}

bool allCapitals(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

// Pieces between "+" signs, with leading blanks skipped and empty pieces dropped.
std::vector<std::string_view> splitPieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    while (true) {
        auto plus = text.find('+');
        auto piece = text.substr(0, plus);
        while (!piece.empty() && isBlank(piece.front())) {
            piece.remove_prefix(1);
        }
        if (!piece.empty()) {
            pieces.push_back(piece);
        }
        if (plus == std::string_view::npos) {
            return pieces;
        }
        text.remove_prefix(plus + 1);
    }
}

}  // namespace

HotKeyText::HotKeyText(KeyNameTable table)
    : table_(std::move(table)),
      modifiers_{{kHotKeyCtrl, "Ctrl", std::string(table_.name(kVkControl))},
                 {kHotKeyShift, "Shift", std::string(table_.name(kVkShift))},
                 {kHotKeyAlt, "Alt", std::string(table_.name(kVkMenu))},
                 {kHotKeyWin, "Win", allCapitals(table_.name(kVkMenu)) ? "WIN" : "Win"}} {}

std::string HotKeyText::format(std::uint32_t value) const {
    std::string text;
    for (const auto& m : modifiers_) {
        if (value & m.bit) {
            text += m.local;
            text += '+';
        }
    }
    text += table_.name(value & 0xFF);
    return text;
}

std::uint32_t HotKeyText::modifierBit(std::string_view piece) const {
    for (const auto& m : modifiers_) {
        if (equalsIgnoringCase(piece, m.english) || equalsIgnoringCase(piece, m.local)) {
            return m.bit;
        }
    }
    return 0;
}

bool HotKeyText::isModifierNameExact(std::string_view text) const {
    return std::any_of(std::begin(modifiers_), std::end(modifiers_),
                       [text](const Modifier& m) { return text == m.english || text == m.local; });
}

unsigned HotKeyText::keyByName(std::string_view text) const {
    for (unsigned vk = 8; vk <= 255; ++vk) {
        auto name = table_.name(vk);
        if (!name.empty() && equalsIgnoringCase(name, text)) {
            return vk;
        }
    }
    return 0;
}

std::uint32_t HotKeyText::parse(std::string_view text) const {
    auto pieces = splitPieces(text);
    if (pieces.empty()) {
        return 0;
    }
    std::uint32_t modifiers = 0;
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        std::uint32_t bit = modifierBit(trim(pieces[i]));
        // A piece that names no modifier spoils the modifiers gathered so far.
        modifiers = bit ? modifiers | bit : 0;
    }
    if (pieces.size() > 1 && modifiers == 0) {
        return 0;
    }
    auto keyText = trim(pieces.back());
    unsigned vk = 0;
    if (keyText.size() == 1) {
        char c = upperAscii(keyText.front());
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) {
            vk = static_cast<unsigned char>(c);
        } else {
            vk = keyByName(std::string_view(&c, 1));
        }
    } else if (!keyText.empty() && !isModifierNameExact(keyText)) {
        vk = keyByName(keyText);
    }
    return vk == 0 ? 0 : modifiers | vk;
}

}  // namespace tarnu
