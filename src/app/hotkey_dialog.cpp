#include "app/hotkey_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "app/qt_text.h"

namespace tarnu {

namespace {

struct KeyPair {
    int qtKey;
    unsigned vk;
};

// Keys whose virtual-key code is not their character code. Shifted symbols name the key
// they are typed on.
constexpr KeyPair kNamedKeys[] = {
    {Qt::Key_Backspace, 8},
    {Qt::Key_Tab, 9},
    {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},
    {Qt::Key_Pause, 19},
    {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},
    {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},
    {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
    {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},
    {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},
    {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},
    {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221},
    {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

constexpr KeyPair kKeypadKeys[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},  {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},   {Qt::Key_Slash, 111},
};

unsigned lookUp(const KeyPair* first, const KeyPair* last, int qtKey) {
    for (const KeyPair* pair = first; pair != last; ++pair) {
        if (pair->qtKey == qtKey) {
            return pair->vk;
        }
    }
    return 0;
}

}  // namespace

unsigned virtualKeyOf(int qtKey, bool keypad) {
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
            return 96 + static_cast<unsigned>(qtKey - Qt::Key_0);
        }
        if (unsigned vk = lookUp(std::begin(kKeypadKeys), std::end(kKeypadKeys), qtKey)) {
            return vk;
        }
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) {
        return static_cast<unsigned>(qtKey);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return 112 + static_cast<unsigned>(qtKey - Qt::Key_F1);
    }
    return lookUp(std::begin(kNamedKeys), std::end(kNamedKeys), qtKey);
}

THotKeyEdit::THotKeyEdit(const HotKeyText& text, QWidget* parent) : QLineEdit(parent), text_(text) {
    setReadOnly(true);  // it shows combinations; typing takes them
    setValue(0);
}

void THotKeyEdit::setValue(std::uint32_t value) {
    value_ = value;
    setText(value == 0 ? QStringLiteral("None") : qs(text_.format(value)));
}

void THotKeyEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const unsigned vk = virtualKeyOf(event->key(), mods.testFlag(Qt::KeypadModifier));
    const bool plain = !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
    // Escape and Tab alone still close the dialog and move the focus.
    if (vk == 0 || (plain && (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Tab))) {
        event->ignore();
        return;
    }
    std::uint32_t value = vk;
    value |= mods.testFlag(Qt::ShiftModifier) ? kHotKeyShift : 0;
    value |= mods.testFlag(Qt::ControlModifier) ? kHotKeyCtrl : 0;
    value |= mods.testFlag(Qt::AltModifier) ? kHotKeyAlt : 0;
    setValue(hotKeyControlValue(value));
    event->accept();
}

TfrmHotKey::TfrmHotKey(const HotKeyText& text, DataPack* pack, QWidget* parent)
    : TarnuDialog(pack, "HotKeyForm.qrf", parent), control_(new THotKeyEdit(text, this)) {
    setObjectName(QStringLiteral("frmHotKey"));
    setWindowTitle(QStringLiteral("Set hot key"));
    control_->setObjectName(QStringLiteral("HotKey"));

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Hot key"), this);
    label->setObjectName(QStringLiteral("lbHotKey"));
    label->setBuddy(control_);
    row->addWidget(label);
    row->addWidget(control_, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* setButton =
        buttons->addButton(QStringLiteral("Set"), QDialogButtonBox::AcceptRole);
    setButton->setObjectName(QStringLiteral("btnSet"));
    setButton->setAutoDefault(false);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(setButton, &QPushButton::clicked, this, [this] {
        if (set_ && (*set_)(control_->value())) {
            accept();
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    body().addLayout(row);
    body().addWidget(buttons);
    resize(320, sizeHint().height());
}

void TfrmHotKey::run(std::uint32_t initial, const HotKeyCommands::SetFunction& set) {
    control_->setValue(initial);
    control_->setFocus();
    set_ = &set;
    exec();
    set_ = nullptr;
}

}  // namespace tarnu
