#pragma once

// The "Set hot key" dialog and its key-combination control.

#include <QLineEdit>
#include <cstdint>

#include "app/tarnu_dialog.h"
#include "model/hotkey_text.h"
#include "operations/hotkey_commands.h"

class QKeyEvent;

namespace tarnu {

// The virtual-key code of a Qt key (keypad keys when keypad is set); 0 for a key that a
// hot key cannot use, modifiers among them.
unsigned virtualKeyOf(int qtKey, bool keypad);

// Shows a key combination and takes the next one the user presses. A key pressed without a
// modifier, or with Shift alone, is taken with Alt instead.
class THotKeyEdit final : public QLineEdit {
    Q_OBJECT

public:
    explicit THotKeyEdit(const HotKeyText& text, QWidget* parent = nullptr);

    std::uint32_t value() const { return value_; }
    void setValue(std::uint32_t value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    const HotKeyText& text_;
    std::uint32_t value_ = 0;
};

class TfrmHotKey final : public TarnuDialog {
    Q_OBJECT

public:
    TfrmHotKey(const HotKeyText& text, DataPack* pack = nullptr, QWidget* parent = nullptr);

    // Shows the dialog modally from the value; "Set" closes it when set says so.
    void run(std::uint32_t initial, const HotKeyCommands::SetFunction& set);
    THotKeyEdit* control() const { return control_; }

private:
    THotKeyEdit* control_;
    const HotKeyCommands::SetFunction* set_ = nullptr;
};

}  // namespace tarnu
