#include "app/server_search_dialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "sharing/server_list.h"

namespace tarnu {

namespace {

constexpr const char* kIdleStatus = "Current cheking IP: none";

}  // namespace

TfrmFSServers::TfrmFSServers(std::uint16_t port, QWidget* parent)
    : QDialog(parent),
      probes_(port),
      first_(new QLineEdit("0.0.0.0", this)),
      last_(new QLineEdit("0.0.0.0", this)),
      search_(new QPushButton("Search", this)),
      found_(new QListWidget(this)),
      status_(new QLabel(kIdleStatus, this)) {
    setObjectName("frmFSServers");
    setWindowTitle("Tarnu shared files servers");
    found_->setSortingEnabled(true);
    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel("IP range", this));
    range->addWidget(first_);
    range->addWidget(last_);
    range->addWidget(search_);
    auto* connectButton = new QPushButton("Connect", this);
    auto* favorite = new QPushButton("Add to favorite", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(connectButton);
    buttons->addWidget(favorite);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(found_, 1);
    layout->addLayout(buttons);
    layout->addWidget(status_);

    connect(search_, &QPushButton::clicked, this, [this] { searchClicked(); });
    connect(connectButton, &QPushButton::clicked, this, [this] {
        if (!selectedAddress().isEmpty()) {
            chosen_ = selectedAddress().toStdString();
            accept();
        }
    });
    connect(favorite, &QPushButton::clicked, this, [this] {
        if (!selectedAddress().isEmpty() && onAddToFavorite) {
            onAddToFavorite(selectedAddress().toStdString());
        }
    });
    probes_.onProbing = [this](std::uint32_t address) {
        status_->setText("Current cheking IP: " +
                         QString::fromStdString(formatDottedQuad(address)));
    };
    probes_.onResult = [this](std::uint32_t address, bool reachable) {
        if (reachable) {
            found_->addItem(QString::fromStdString(formatDottedQuad(address)));
        }
    };
    probes_.onFinished = [this] { idle(); };
}

QString TfrmFSServers::selectedAddress() const {
    const QListWidgetItem* item = found_->currentItem();
    return item ? item->text() : QString();
}

void TfrmFSServers::searchClicked() {
    found_->setFocus();
    if (probes_.running()) {
        probes_.stop();
        idle();
        return;
    }
    const auto first = parseDottedQuad(first_->text().toStdString());
    const auto last = parseDottedQuad(last_->text().toStdString());
    if (!first || !last || *first > *last) {
        return;
    }
    found_->clear();
    search_->setText("Stop");
    probes_.scanRange(*first, *last);
}

void TfrmFSServers::idle() {
    search_->setText("Search");
    first_->setText("0.0.0.0");
    last_->setText("0.0.0.0");
    status_->setText(kIdleStatus);
}

void TfrmFSServers::hideEvent(QHideEvent* event) {
    probes_.stop();
    QDialog::hideEvent(event);
}

}  // namespace tarnu
