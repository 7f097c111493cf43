#include "app/server_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

#include "app/pack_on_show.h"

namespace tarnu {

namespace {

constexpr int kMaxFieldLength = 250;

}  // namespace

TfrmVServer::TfrmVServer(DataPack* pack, QWidget* parent)
    : QDialog(parent), address_(new QLineEdit(this)), description_(new QLineEdit(this)) {
    setObjectName("frmVServer");
    address_->setObjectName("edAddress");
    description_->setObjectName("edDescription");
    address_->setMaxLength(kMaxFieldLength);
    description_->setMaxLength(kMaxFieldLength);
    auto* addressLabel = new QLabel("Address", this);
    addressLabel->setObjectName("lbAddress");
    auto* descriptionLabel = new QLabel("Description", this);
    descriptionLabel->setObjectName("lbDescription");
    auto* layout = new QFormLayout(this);
    layout->addRow(addressLabel, address_);
    layout->addRow(descriptionLabel, description_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("btnOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("btnCancel");
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    (new PackOnShow(pack, *this))->addCaptionList("VServForm.qrf");
}

std::optional<TfrmVServer::Entry> TfrmVServer::edit(const QString& title, const Entry& initial) {
    setWindowTitle(title);
    address_->setText(QString::fromStdString(initial.address));
    description_->setText(QString::fromStdString(initial.description));
    address_->setFocus();
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return Entry{address_->text().toStdString(), description_->text().toStdString()};
}

}  // namespace tarnu
