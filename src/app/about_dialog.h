#pragma once

// The about window: the logo, the version line (message 24 of "AskRes.ar") and a few words
// on what the program does.

#include "app/tarnu_dialog.h"

class QLabel;

namespace tarnu {

class TfrmAbout : public TarnuDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(DataPack* pack = nullptr, QWidget* parent = nullptr);

private:
    QLabel* version_;
};

}  // namespace tarnu
