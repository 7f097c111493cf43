#pragma once

// The frame of the program's dialogs: an optional banner picture across the top, the
// dialog's own controls below it, and the texts and picture of the packs on every show.
// Escape and the close box cancel, as QDialog does.

#include <QDialog>
#include <string>

#include "document/data_pack.h"

class QVBoxLayout;

namespace tarnu {

class PackOnShow;
class PictureBox;

class TarnuDialog : public QDialog {
    Q_OBJECT

public:
    // captionList: the dialog's caption list in the data pack.
    TarnuDialog(DataPack* pack, std::string captionList, QWidget* parent = nullptr);

    PackOnShow& packOnShow() { return *packOnShow_; }

protected:
    // A picture of the image pack across the top, above the controls.
    PictureBox& addBanner(std::string entry, const char* objectName = "imgHeader");
    // Where the dialog puts its controls.
    QVBoxLayout& body() { return *body_; }

private:
    PackOnShow* packOnShow_;
    QVBoxLayout* body_;
};

}  // namespace tarnu
