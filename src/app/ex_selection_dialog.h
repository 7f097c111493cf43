#pragma once

// "Expand selection" (`TfrmExSelection`): a pattern, kind filters and the text to match.
// Made once, it keeps its choices between openings.

#include <optional>

#include "app/tarnu_dialog.h"
#include "operations/selection.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace tarnu {

class TfrmExSelection : public TarnuDialog {
    Q_OBJECT

public:
    explicit TfrmExSelection(DataPack* pack = nullptr, QWidget* parent = nullptr);

    // Shows the dialog modally; the criteria on OK, nothing on Cancel. A blank pattern
    // keeps the dialog open.
    std::optional<SelectionCriteria> run();

    SelectionCriteria choices() const;
    QComboBox* pattern() const { return pattern_; }

private:
    void ok();

    QComboBox* pattern_;
    QCheckBox* clear_;
    QCheckBox* skipZuFolders_;
    QCheckBox* skipDirectories_;
    QCheckBox* skipFiles_;
    QCheckBox* caseSensitive_;
    QRadioButton* fullPath_;
    QRadioButton* nameOnly_;
    QRadioButton* caption_;
    std::optional<SelectionCriteria> criteria_;
};

}  // namespace tarnu
