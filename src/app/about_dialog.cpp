#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/pack_on_show.h"
#include "app/qt_text.h"
#include "document/messages.h"

namespace tarnu {
namespace {

QLabel* centredLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

}  // namespace

TfrmAbout::TfrmAbout(DataPack* pack, QWidget* parent)
    : TarnuDialog(pack, "AboutForm.qrf", parent),
      version_(centredLabel(this, "lbVersion", QStringLiteral("Version " TARNU_VERSION))) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Tarnu"));

    addBanner("Tarnu_Logo.jpg", "imgLogo");
    packOnShow().addStep([this](DataPack& pack) {
        const std::string line = pack.message(ask::kTable, ask::kVersionLine);
        if (!line.empty()) {
            version_->setText(qs(line));
        }
    });

    QLabel* title = centredLabel(this, "lbTitle", QStringLiteral("Tarnu"));
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    title->setFont(big);
    QLabel* description = centredLabel(this, "lbDescription",
                                       QStringLiteral("Organizer of links to files and folders"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setCenterButtons(true);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    body().addWidget(title);
    body().addWidget(version_);
    body().addWidget(description);
    body().addSpacing(8);
    body().addWidget(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tarnu
