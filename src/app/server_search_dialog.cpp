#include "app/server_search_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/pack_on_show.h"
#include "app/state_images.h"
#include "common/error.h"
#include "sharing/server_list.h"
#include "sharing/sharing_commands.h"

namespace tarnu {

namespace {

constexpr const char* kSearch = "Search";
constexpr const char* kStop = "Stop";
constexpr const char* kProbing = "Current cheking IP: ";
constexpr const char* kIdleStatus = "Current cheking IP: none";

}  // namespace

TfrmFSServers::TfrmFSServers(std::uint16_t port, DataPack* pack, QWidget* parent)
    : QDialog(parent),
      pack_(pack),
      probes_(port),
      first_(new QLineEdit("0.0.0.0", this)),
      last_(new QLineEdit("0.0.0.0", this)),
      search_(new QPushButton(kSearch, this)),
      found_(new QTreeWidget(this)),
      status_(new QLabel(kIdleStatus, this)) {
    setObjectName("frmFSServers");
    setWindowTitle("Tarnu shared files servers");
    first_->setObjectName("edFirstIP");
    last_->setObjectName("edLastIP");
    search_->setObjectName("btnSearch");
    found_->setObjectName("lvServers");
    status_->setObjectName("lbStatus");
    found_->setHeaderLabels({"IP"});
    found_->setRootIsDecorated(false);
    found_->setSelectionBehavior(QAbstractItemView::SelectRows);
    found_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    found_->setSortingEnabled(true);
    found_->sortByColumn(0, Qt::AscendingOrder);
    auto* rangeLabel = new QLabel("IP range", this);
    rangeLabel->setObjectName("lbIPRange");
    auto* range = new QHBoxLayout;
    range->addWidget(rangeLabel);
    range->addWidget(first_);
    range->addWidget(last_);
    range->addWidget(search_);
    auto* connectButton = new QPushButton("Connect", this);
    connectButton->setObjectName("btnConnect");
    auto* favorite = new QPushButton("Add to favorite", this);
    favorite->setObjectName("btnAddToFavorite");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(connectButton);
    buttons->addWidget(favorite);
    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName("StatusBar1");
    statusBar->setSizeGripEnabled(false);
    statusBar->addWidget(status_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(found_, 1);
    layout->addLayout(buttons);
    layout->addWidget(statusBar);
    (new PackOnShow(pack_, *this))->addCaptionList("ServersForm.qrf");

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
        status_->setText(searchText(2, kProbing) +
                         QString::fromStdString(formatDottedQuad(address)));
    };
    probes_.onResult = [this](std::uint32_t address, bool reachable) {
        if (reachable) {
            auto* item =
                new QTreeWidgetItem(found_, {QString::fromStdString(formatDottedQuad(address))});
            item->setIcon(0, stateImage(kStateReachable));
        }
    };
    probes_.onFinished = [this] { idle(); };
}

QString TfrmFSServers::searchText(int line, const char* fallback) const {
    try {
        const std::string text = pack_ ? pack_->message("SearchStr.ss", line) : std::string();
        return text.empty() ? QString(fallback) : QString::fromStdString(text);
    } catch (const Error&) {
        return fallback;
    }
}

QString TfrmFSServers::selectedAddress() const {
    // The current item alone may be just where the focus landed, not the user's choice.
    const QList<QTreeWidgetItem*> selected = found_->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text(0);
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
    search_->setText(searchText(1, kStop));
    probes_.scanRange(*first, *last);
}

void TfrmFSServers::idle() {
    search_->setText(searchText(0, kSearch));
    first_->setText("0.0.0.0");
    last_->setText("0.0.0.0");
    status_->setText(searchText(3, kIdleStatus));
}

void TfrmFSServers::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    probes_.stop();
    found_->clear();
    idle();
}

void TfrmFSServers::hideEvent(QHideEvent* event) {
    probes_.stop();
    QDialog::hideEvent(event);
}

}  // namespace tarnu
