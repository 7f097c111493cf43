#include "model/hotkey_text.h"

#include <gtest/gtest.h>

namespace tarnu {
namespace {

TEST(HotKeyText, ParsesModifiersAndKeys) {
    HotKeyText keys;
    EXPECT_EQ(keys.parse("Ctrl+Alt+A"), 0xC041u);
    EXPECT_EQ(keys.parse("  ctrl  +  alt  +  a  "), 0xC041u);
    EXPECT_EQ(keys.parse("A"), 0x41u);
    EXPECT_EQ(keys.parse("Shift+7"), 0x2000u + '7');
    EXPECT_EQ(keys.parse("Win+Shift+F5"), 0x10000u + 0x2000u + 0x74u);
    EXPECT_EQ(keys.parse(kFixedHotKeyText), 16576u);
    EXPECT_EQ(keys.parse("Ctrl+page down"), 0x4000u + 0x22u);
}

TEST(HotKeyText, RefusesWhatIsNoCombination) {
    HotKeyText keys;
    EXPECT_EQ(keys.parse("Foo+A"), 0u);
    EXPECT_EQ(keys.parse("Ctrl+"), 0u);
    EXPECT_EQ(keys.parse("Ctrl"), 0u);
    EXPECT_EQ(keys.parse(""), 0u);
    EXPECT_EQ(keys.parse("+++"), 0u);
    EXPECT_EQ(keys.parse("Ctrl+NoSuchKey"), 0u);
    // A modifier name as the key is no key only when written with its own case.
    EXPECT_EQ(keys.parse("Alt+Shift"), 0u);
    EXPECT_EQ(keys.parse("Alt+SHIFT"), 0x8000u + kVkShift);
}

TEST(HotKeyText, FormatsModifiersInFixedOrderWithoutBlanks) {
    HotKeyText keys;
    EXPECT_EQ(keys.format(0x4000 + 36), "Ctrl+Home");
    EXPECT_EQ(keys.format(0xC041), "Ctrl+Alt+A");
    EXPECT_EQ(keys.format(0x10000 + 0x8000 + 0x2000 + 0x4000 + 0x70), "Ctrl+Shift+Alt+Win+F1");
    EXPECT_EQ(keys.format(16576), "Ctrl+`");
    // A key the table does not name leaves the key part empty.
    EXPECT_EQ(keys.format(0x4000 + 0x07), "Ctrl+");
}

TEST(HotKeyText, FormatAndParseAreInverseForEveryKeyName) {
    HotKeyText keys;
    const std::uint32_t modifierSets[] = {0, 0x4000, 0x8000 | 0x2000, 0x4000 | 0x8000 | 0x10000};
    int named = 0;
    for (unsigned vk = 8; vk <= 255; ++vk) {
        if (keys.keyName(vk).empty() || vk == kVkShift || vk == kVkControl || vk == kVkMenu) {
            continue;
        }
        ++named;
        for (auto mods : modifierSets) {
            std::uint32_t value = mods | vk;
            EXPECT_EQ(keys.parse(keys.format(value)), value) << keys.format(value);
        }
    }
    EXPECT_GT(named, 100);
}

TEST(HotKeyText, UsesLocalModifierNames) {
    auto table = KeyNameTable::usEnglish();
    table.setName(kVkControl, "Strg");
    table.setName(kVkShift, "Umschalt");
    HotKeyText german(table);
    EXPECT_EQ(german.format(0x4000 + 0x2000 + 'K'), "Strg+Umschalt+K");
    EXPECT_EQ(german.format(0x10000 + 'K'), "Win+K");
    // Both the English and the local names parse; a local name alone is no combination.
    EXPECT_EQ(german.parse("strg+umschalt+k"), 0x6000u + 'K');
    EXPECT_EQ(german.parse("Ctrl+Shift+K"), 0x6000u + 'K');
    EXPECT_EQ(german.parse("Strg"), 0u);

    table.setName(kVkMenu, "ALT");
    HotKeyText capitals(table);
    EXPECT_EQ(capitals.format(0x10000 + 'K'), "WIN+K");
    EXPECT_EQ(capitals.parse("WIN+K"), 0x10000u + 'K');
}

}  // namespace
}  // namespace tarnu
