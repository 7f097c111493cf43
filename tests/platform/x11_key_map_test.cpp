#include "platform/linux/x11_key_map.h"

#include <gtest/gtest.h>

#include "model/hotkey_text.h"
#include "model/key_names.h"

// Last: X's macros (None, ...) clash with GoogleTest.
#include <X11/X.h>
#include <X11/keysym.h>

namespace tarnu {
namespace {

TEST(X11KeyMapTest, EveryNamedKeyHasASymbol) {
    auto names = KeyNameTable::usEnglish();
    for (unsigned vk = 0; vk < 256; ++vk) {
        // Shift, Ctrl and Alt are named for the modifier texts only.
        if (!names.name(vk).empty() && vk != kVkShift && vk != kVkControl && vk != kVkMenu) {
            EXPECT_NE(keySymForVirtualKey(vk), static_cast<unsigned long>(NoSymbol))
                << vk << " " << names.name(vk);
        }
    }
}

TEST(X11KeyMapTest, EveryKeyThatCanBeGrabbedHasATextThatParsesBack) {
    const HotKeyText keys;
    const std::uint32_t modifierSets[] = {0, kHotKeyCtrl, kHotKeyAlt | kHotKeyShift,
                                          kHotKeyCtrl | kHotKeyAlt | kHotKeyWin};
    int grabbable = 0;
    for (unsigned vk = 1; vk < 256; ++vk) {
        if (keySymForVirtualKey(vk) == static_cast<unsigned long>(NoSymbol)) {
            continue;  // refused: the X11 layer cannot grab it
        }
        ++grabbable;
        for (std::uint32_t mods : modifierSets) {
            const std::uint32_t value = mods | vk;
            EXPECT_EQ(keys.parse(keys.format(value)), value) << vk << " " << keys.format(value);
        }
    }
    EXPECT_GT(grabbable, 100);
}

TEST(X11KeyMapTest, KeysMapToTheirUnshiftedSymbols) {
    EXPECT_EQ(keySymForVirtualKey(192), XK_grave);
    EXPECT_EQ(keySymForVirtualKey('A'), XK_a);
    EXPECT_EQ(keySymForVirtualKey(0x87), XK_F24);
    EXPECT_EQ(keySymForVirtualKey(0x69), XK_KP_9);
    EXPECT_EQ(keySymForVirtualKey(0xFF), static_cast<unsigned long>(NoSymbol));
    EXPECT_EQ(keySymForVirtualKey(0x1C0), static_cast<unsigned long>(NoSymbol));
}

}  // namespace
}  // namespace tarnu
