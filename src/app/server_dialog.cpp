#include "app/server_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace tarnu {

namespace {

constexpr int kMaxFieldLength = 250;

}  // namespace

TfrmVServer::TfrmVServer(QWidget* parent)
    : QDialog(parent), address_(new QLineEdit(this)), description_(new QLineEdit(this)) {
    setObjectName("frmVServer");
    address_->setObjectName("edAddress");
    description_->setObjectName("edDescription");
    address_->setMaxLength(kMaxFieldLength);
    description_->setMaxLength(kMaxFieldLength);
    auto* layout = new QFormLayout(this);
    layout->addRow("Address", address_);
    layout->addRow("Description", description_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
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
