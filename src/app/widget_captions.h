#pragma once

// Caption lists applied to Qt windows: a component is a child object of the window whose
// object name equals the name in the list.

#include <QString>
#include <QWidget>

#include "document/data_pack.h"

namespace tarnu {

// Sets the caption of a button, label, group box, menu, action or tab page (the page's tab
// text), or else the text of a line or text edit.
class WidgetCaptions final : public CaptionTarget {
public:
    explicit WidgetCaptions(QWidget& window) : window_(window) {}

    bool setCaption(std::string_view component, std::string_view text) override;

private:
    QWidget& window_;
};

// Applies one caption list of the data pack to the window.
void applyCaptions(DataPack& pack, QWidget& window, std::string_view list);

// A label without a buddy shows "&" as it is, where the lists mean "&&" as one "&" and a
// single "&" as a mnemonic mark: the text such a label is to show.
QString withoutMnemonics(const QString& caption);

}  // namespace tarnu
