#include "operations/hotkey_manager.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/hotkey_text.h"
#include "support/fake_hot_keys.h"

namespace tarnu {
namespace {

using testing::FakeGlobalHotKeys;

constexpr std::uint32_t kCtrlGrave = 16576;  // Ctrl + VK 192
constexpr std::uint32_t kCtrlAltA = 0xC041;
constexpr std::uint32_t kWinShiftF1 = 0x10000 + 0x2000 + 0x70;

class HotKeyManagerTest : public ::testing::Test {
protected:
    std::string grabOf(std::uint16_t id) { return "grab " + std::to_string(id); }

    FakeGlobalHotKeys keys;
    THotKeyManager manager{keys};
};

TEST_F(HotKeyManagerTest, RegisterHandsOutIdsFrom0xC000AndSplitsTheValue) {
    EXPECT_EQ(manager.registerHotKey(kCtrlGrave), 0xC000);
    EXPECT_EQ(manager.registerHotKey(kCtrlAltA), 0xC001);
    EXPECT_EQ(manager.registerHotKey(kWinShiftF1), 0xC002);
    EXPECT_EQ(keys.held.at(0xC000), std::make_pair(kModControl, 192u));
    EXPECT_EQ(keys.held.at(0xC001), std::make_pair(kModControl | kModAlt, 0x41u));
    EXPECT_EQ(keys.held.at(0xC002), std::make_pair(kModWin | kModShift, 0x70u));
    ASSERT_EQ(manager.entries().size(), 3u);
    EXPECT_EQ(manager.entries()[0].value, kCtrlGrave);
    EXPECT_EQ(manager.entries()[2].value, kWinShiftF1);
    EXPECT_TRUE(manager.isRegistered(kCtrlAltA));
    EXPECT_FALSE(manager.isRegistered(0x41));
}

TEST_F(HotKeyManagerTest, RefusedRegisterReturnsZeroAndGivesTheIdBack) {
    keys.heldElsewhere.insert({kModControl, 192u});
    EXPECT_EQ(manager.registerHotKey(kCtrlGrave), 0);
    EXPECT_TRUE(manager.entries().empty());
    EXPECT_FALSE(manager.isRegistered(kCtrlGrave));
    // The refused name's atom is gone, so the next value gets the first id.
    EXPECT_EQ(manager.registerHotKey(kCtrlAltA), 0xC000);
}

TEST_F(HotKeyManagerTest, SecondRegisterOfTheSameValueIsRefusedAndKeepsTheFirst) {
    std::uint16_t id = manager.registerHotKey(kCtrlGrave);
    ASSERT_NE(id, 0);
    EXPECT_EQ(manager.registerHotKey(kCtrlGrave), 0);
    ASSERT_EQ(manager.entries().size(), 1u);
    EXPECT_TRUE(keys.held.contains(id));
    // The same name gives the same id while it is registered.
    EXPECT_EQ(keys.log, (std::vector<std::string>{grabOf(id), grabOf(id)}));

    EXPECT_TRUE(manager.release(kCtrlGrave));
    EXPECT_FALSE(manager.isRegistered(kCtrlGrave));
    EXPECT_EQ(manager.registerHotKey(kCtrlGrave), id);
}

TEST_F(HotKeyManagerTest, ReplaceOfAnAbsentIdReturnsZeroAndChangesNothing) {
    std::uint16_t id = manager.registerHotKey(kCtrlGrave);
    auto logBefore = keys.log;
    EXPECT_EQ(manager.replace(static_cast<std::uint16_t>(id + 1), kCtrlAltA), 0);
    EXPECT_EQ(keys.log, logBefore);
    ASSERT_EQ(manager.entries().size(), 1u);
    EXPECT_EQ(manager.entries()[0].value, kCtrlGrave);
}

TEST_F(HotKeyManagerTest, ReplaceReleasesTheOldValueEvenWhenTheNewOneIsRefused) {
    std::uint16_t first = manager.registerHotKey(kCtrlGrave);
    std::uint16_t second = manager.replace(first, kCtrlAltA);
    EXPECT_NE(second, 0);
    EXPECT_FALSE(manager.isRegistered(kCtrlGrave));
    EXPECT_TRUE(manager.isRegistered(kCtrlAltA));
    ASSERT_EQ(keys.held.size(), 1u);
    EXPECT_EQ(keys.held.begin()->second, std::make_pair(kModControl | kModAlt, 0x41u));

    keys.heldElsewhere.insert({kModControl, 192u});
    EXPECT_EQ(manager.replace(second, kCtrlGrave), 0);
    EXPECT_TRUE(manager.entries().empty());
    EXPECT_TRUE(keys.held.empty());
}

TEST_F(HotKeyManagerTest, ReleaseMatchesTheLow16BitsAndReportsThePortsAnswer) {
    manager.registerHotKey(kCtrlAltA);
    auto logBefore = keys.log;
    EXPECT_FALSE(manager.release(0x41));
    EXPECT_FALSE(manager.releaseById(0x1234));
    EXPECT_EQ(keys.log, logBefore);  // nothing asked of the system

    EXPECT_TRUE(manager.release(kHotKeyWin | kCtrlAltA));
    EXPECT_TRUE(manager.entries().empty());

    manager.registerHotKey(kCtrlAltA);
    keys.releaseFails = true;
    EXPECT_FALSE(manager.release(kCtrlAltA));
    EXPECT_TRUE(manager.entries().empty());  // the entry goes all the same
}

TEST_F(HotKeyManagerTest, ReleaseAllGoesFromTheLastToTheFirst) {
    std::uint16_t a = manager.registerHotKey(kCtrlGrave);
    std::uint16_t b = manager.registerHotKey(kCtrlAltA);
    std::uint16_t c = manager.registerHotKey(kWinShiftF1);
    keys.log.clear();
    manager.releaseAll();
    EXPECT_EQ(keys.log, (std::vector<std::string>{"release " + std::to_string(c),
                                                  "release " + std::to_string(b),
                                                  "release " + std::to_string(a)}));
    EXPECT_TRUE(manager.entries().empty());
    EXPECT_TRUE(keys.held.empty());
}

TEST_F(HotKeyManagerTest, PressRaisesTheEventOnlyForRegisteredValues) {
    std::vector<std::pair<std::uint32_t, std::uint16_t>> pressed;
    manager.OnHotKeyPressed = [&](std::uint32_t value, std::uint16_t id) {
        pressed.emplace_back(value, id);
    };
    std::uint16_t grave = manager.registerHotKey(kCtrlGrave);
    std::uint16_t f1 = manager.registerHotKey(kWinShiftF1);

    keys.press(grave, kModControl, 192);
    keys.press(f1, kModWin | kModShift, 0x70);
    keys.press(grave, kModControl | kModAlt, 192);  // a value nobody registered
    keys.press(0xC0FF, kModShift, 0x41);
    manager.release(kCtrlGrave);
    keys.press(grave, kModControl, 192);  // late press of a released key

    EXPECT_EQ(pressed, (std::vector<std::pair<std::uint32_t, std::uint16_t>>{{kCtrlGrave, grave},
                                                                             {kWinShiftF1, f1}}));
}

TEST_F(HotKeyManagerTest, DestroyingTheManagerReleasesItsKeysAndItsHandler) {
    FakeGlobalHotKeys port;
    {
        THotKeyManager scoped(port);
        scoped.registerHotKey(kCtrlGrave);
        scoped.registerHotKey(kCtrlAltA);
        EXPECT_TRUE(static_cast<bool>(port.handler));
    }
    EXPECT_TRUE(port.held.empty());
    EXPECT_FALSE(static_cast<bool>(port.handler));
}

TEST(AtomTableTest, NamesAreCountedAndIdsComeBackIntoUse) {
    AtomTable atoms;
    EXPECT_EQ(atoms.add("a"), 0xC000);
    EXPECT_EQ(atoms.add("b"), 0xC001);
    EXPECT_EQ(atoms.add("a"), 0xC000);
    EXPECT_TRUE(atoms.remove(0xC000));
    EXPECT_EQ(atoms.find("a"), 0xC000);  // one reference left
    EXPECT_TRUE(atoms.remove(0xC000));
    EXPECT_EQ(atoms.find("a"), 0);
    EXPECT_FALSE(atoms.remove(0xC000));
    EXPECT_EQ(atoms.add("c"), 0xC000);  // the lowest free id
}

TEST(AtomTableTest, RunningOutOfIdsGivesZero) {
    AtomTable atoms;
    for (unsigned i = 0; i < 0x4000; ++i) {
        ASSERT_NE(atoms.add(std::to_string(i)), 0) << i;
    }
    EXPECT_EQ(atoms.add("one too many"), 0);
    EXPECT_EQ(atoms.add("5"), 0xC005);  // an existing name still resolves
    atoms.remove(0xC123);
    EXPECT_EQ(atoms.add("one too many"), 0xC123);
}

}  // namespace
}  // namespace tarnu
