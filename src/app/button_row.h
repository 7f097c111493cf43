#pragma once

// A row of push buttons, each named for the caption lists and wired to its command.

#include <QBoxLayout>
#include <QPushButton>
#include <functional>
#include <initializer_list>

namespace tarnu {

struct RowButton {
    const char* name;
    const char* text;
    std::function<void()> act;
};

inline void addButtons(QBoxLayout* row, QWidget* owner, std::initializer_list<RowButton> buttons) {
    for (const RowButton& wanted : buttons) {
        auto* button = new QPushButton(wanted.text, owner);
        button->setObjectName(wanted.name);
        QObject::connect(button, &QPushButton::clicked, owner, wanted.act);
        row->addWidget(button);
    }
}

}  // namespace tarnu
