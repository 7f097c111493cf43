#pragma once

// "Search" (`TfrmSearch`): steps from one matching caption to the next. It stays on top and
// stays open while the user works in the main window, so "Search" can be pressed again.

#include <functional>
#include <string>

#include "app/tarnu_dialog.h"

class QCheckBox;
class QLineEdit;

namespace tarnu {

class TfrmSearch : public TarnuDialog {
    Q_OBJECT

public:
    explicit TfrmSearch(DataPack* pack = nullptr, QWidget* parent = nullptr);

    // "Search" and Enter in the text field.
    std::function<void(const std::string& text, bool caseSensitive)> onSearch;

    QLineEdit* textField() const { return text_; }
    QCheckBox* caseSensitive() const { return caseSensitive_; }

private:
    void search();

    QLineEdit* text_;
    QCheckBox* caseSensitive_;
};

}  // namespace tarnu
