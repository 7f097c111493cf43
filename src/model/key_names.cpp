#include "model/key_names.h"

#include <string>
#include <utility>

namespace tarnu {

namespace {

struct NamedKey {
    unsigned vk;
    const char* name;
};

// Every name is unique and holds no "+", so that a hot-key text parses back to its value;
// every key the hot-key layer can grab needs one ("Ctrl+" alone parses to nothing).
constexpr NamedKey kUsEnglish[] = {
    {0x08, "Backspace"},
    {0x09, "Tab"},
    {0x0C, "Clear"},
    {0x0D, "Enter"},
    {0x10, "Shift"},
    {0x11, "Ctrl"},
    {0x12, "Alt"},
    {0x13, "Pause"},
    {0x14, "Caps Lock"},
    {0x1B, "Esc"},
    {0x20, "Space"},
    {0x21, "Page Up"},
    {0x22, "Page Down"},
    {0x23, "End"},
    {0x24, "Home"},
    {0x25, "Left"},
    {0x26, "Up"},
    {0x27, "Right"},
    {0x28, "Down"},
    {0x2C, "Sys Req"},
    {0x2D, "Insert"},
    {0x2E, "Delete"},
    {0x5B, "Left Windows"},
    {0x5C, "Right Windows"},
    {0x5D, "Application"},
    {0x60, "Num 0"},
    {0x61, "Num 1"},
    {0x62, "Num 2"},
    {0x63, "Num 3"},
    {0x64, "Num 4"},
    {0x65, "Num 5"},
    {0x66, "Num 6"},
    {0x67, "Num 7"},
    {0x68, "Num 8"},
    {0x69, "Num 9"},
    {0x6A, "Num *"},
    {0x6B, "Num Plus"},
    {0x6C, "Num Separator"},
    {0x6D, "Num -"},
    {0x6E, "Num Del"},
    {0x6F, "Num /"},
    {0x90, "Num Lock"},
    {0x91, "Scroll Lock"},
    {0xBA, ";"},
    {0xBB, "="},
    {0xBC, ","},
    {0xBD, "-"},
    {0xBE, "."},
    {0xBF, "/"},
    {0xC0, "`"},
    {0xDB, "["},
    {0xDC, "\\"},
    {0xDD, "]"},
    {0xDE, "'"},
    {0xE2, "<"},
};

}  // namespace

KeyNameTable KeyNameTable::usEnglish() {
    KeyNameTable table;
    for (const auto& key : kUsEnglish) {
        table.names_[key.vk] = key.name;
    }
    for (unsigned vk = '0'; vk <= '9'; ++vk) {
        table.names_[vk] = std::string(1, static_cast<char>(vk));
    }
    for (unsigned vk = 'A'; vk <= 'Z'; ++vk) {
        table.names_[vk] = std::string(1, static_cast<char>(vk));
    }
    for (unsigned n = 1; n <= 24; ++n) {
        table.names_[0x6F + n] = "F" + std::to_string(n);
    }
    return table;
}

}  // namespace tarnu
