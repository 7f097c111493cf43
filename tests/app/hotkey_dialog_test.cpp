#include "app/hotkey_dialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <vector>

#include "app/modal.h"

namespace tarnu {
namespace {

TEST(HotKeyDialog, ControlTakesCombinationsAndPutsAltWhereAModifierIsMissing) {
    HotKeyText text;
    THotKeyEdit edit(text);
    struct Press {
        int key;
        Qt::KeyboardModifiers mods;
        std::uint32_t value;
    };
    const Press presses[] = {
        {Qt::Key_A, Qt::ControlModifier | Qt::AltModifier, 0xC041},
        {Qt::Key_A, Qt::NoModifier, 0x8041},
        {Qt::Key_Exclam, Qt::ShiftModifier, 0x8031},  // Shift alone, on the key of "1"
        {Qt::Key_Home, Qt::ControlModifier, 0x4024},
        {Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier, 0x4065},
        {Qt::Key_QuoteLeft, Qt::ControlModifier, 0x40C0},
        {Qt::Key_Control, Qt::ControlModifier, 0x40C0},  // a modifier alone changes nothing
    };
    for (const Press& p : presses) {
        QTest::keyClick(&edit, static_cast<Qt::Key>(p.key), p.mods);
        EXPECT_EQ(edit.value(), p.value) << p.key;
    }
    EXPECT_EQ(edit.text(), QString::fromStdString(text.format(0x40C0)));
}

TEST(HotKeyDialog, SetClosesOnlyWhenTheCommandSaysSo) {
    HotKeyText text;
    TfrmHotKey dialog(text);
    std::vector<std::uint32_t> asked;
    bool closes = false;
    const HotKeyCommands::SetFunction set = [&](std::uint32_t value) {
        asked.push_back(value);
        return closes;
    };
    testing::whenModal([&](QWidget& modal) {
        auto* button = modal.findChild<QPushButton*>("btnSet");
        button->click();  // refused: the dialog stays
        EXPECT_TRUE(modal.isVisible());
        closes = true;
        button->click();
    });
    dialog.run(0xC041, set);
    EXPECT_EQ(asked, (std::vector<std::uint32_t>{0xC041, 0xC041}));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace tarnu
