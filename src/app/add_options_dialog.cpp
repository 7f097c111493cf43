#include "app/add_options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tarnu {
namespace {

// The boxes are ticked until the copy says otherwise.
QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(true);
    return box;
}

QPushButton* button(QDialogButtonBox* box, const char* name, const QString& caption,
                    QDialogButtonBox::ButtonRole role) {
    QPushButton* b = box->addButton(caption, role);
    b->setObjectName(QLatin1String(name));
    return b;
}

}  // namespace

TfrmAddOpt::TfrmAddOpt(DataPack* pack, QWidget* parent)
    : TarnuDialog(pack, "AddOptForm.qrf", parent),
      recurse_(checkBox(this, "cbRecurce", QStringLiteral("Add all subfolders"))),
      addFiles_(checkBox(this, "cbAddFiles", QStringLiteral("Add files"))),
      delExt_(checkBox(this, "cbDelExt", QStringLiteral("Cut files extensions"))),
      ask_(checkBox(this, "cbAsk", QStringLiteral("Ask next time"))) {
    setObjectName(QStringLiteral("frmAddOpt"));
    setWindowTitle(QStringLiteral("Add options"));
    for (QCheckBox* box : {recurse_, addFiles_, delExt_, ask_}) {
        body().addWidget(box);
    }
    body().addSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing) * 2);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save =
        button(buttons, "btnSaveAndStart", QStringLiteral("Save current settings and start"),
               QDialogButtonBox::AcceptRole);
    QPushButton* start =
        button(buttons, "btnStart", QStringLiteral("Start"), QDialogButtonBox::AcceptRole);
    button(buttons, "btnCancel", QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    start->setDefault(true);
    body().addWidget(buttons);

    connect(save, &QPushButton::clicked, this, [this] {
        saveRequested_ = true;
        accept();
    });
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

bool TfrmAddOpt::run(AddOptionsCopy& copy, Settings& settings) {
    setChoices(copy.options());
    saveRequested_ = false;
    const bool start = exec() == QDialog::Accepted;
    copy.setOptions(choices());
    if (start && saveRequested_) {
        copy.saveInto(settings);
    }
    return start;
}

void TfrmAddOpt::setChoices(const AddOptions& choices) {
    recurse_->setChecked(choices.recurse);
    addFiles_->setChecked(choices.addFiles);
    delExt_->setChecked(choices.delExt);
    ask_->setChecked(choices.ask);
}

AddOptions TfrmAddOpt::choices() const {
    return {recurse_->isChecked(), addFiles_->isChecked(), delExt_->isChecked(), ask_->isChecked()};
}

}  // namespace tarnu
