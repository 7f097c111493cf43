#pragma once

// Drives modal dialogs from a test: the action runs on the dialog once it is up.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace tarnu::testing {

// Waits (in the event loop that exec() runs) for a modal dialog and hands it to the action.
// A dialog that does not show up fails the test; one that the action leaves open is
// rejected after a while, so that a failing test cannot hang.
inline void whenModal(std::function<void(QWidget&)> action, int attempts = 300) {
    QTimer::singleShot(10, [action = std::move(action), attempts]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            if (attempts > 0) {
                whenModal(std::move(action), attempts - 1);
            } else {
                ADD_FAILURE() << "no modal dialog appeared";
            }
            return;
        }
        action(*modal);
        QTimer::singleShot(3000, modal, [modal] {
            if (modal->isVisible()) {
                ADD_FAILURE() << "modal dialog left open";
                modal->close();
            }
        });
    });
}

}  // namespace tarnu::testing
