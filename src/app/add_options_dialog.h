#pragma once

// "Add options", asked before "Add folder" scans a directory. Its check boxes show and
// change the add-options copy; only "Save current settings and start" hands the choices on
// to the settings.

#include "app/tarnu_dialog.h"
#include "operations/adding.h"

class QCheckBox;

namespace tarnu {

class TfrmAddOpt : public TarnuDialog {
    Q_OBJECT

public:
    explicit TfrmAddOpt(DataPack* pack = nullptr, QWidget* parent = nullptr);

    // Shows the dialog modally over the copy: true for "Start" and "Save current settings
    // and start" (which also writes the choices into the settings), false for Cancel. The
    // copy keeps what the boxes show when the dialog closes, whichever way it closes.
    bool run(AddOptionsCopy& copy, Settings& settings);

    void setChoices(const AddOptions& choices);
    AddOptions choices() const;

private:
    QCheckBox* recurse_;
    QCheckBox* addFiles_;
    QCheckBox* delExt_;
    QCheckBox* ask_;
    bool saveRequested_ = false;
};

}  // namespace tarnu
