#include "app/ftp_list_window.h"

#include <QDateTime>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "app/server_dialog.h"
#include "app/side_bar_groups.h"
#include "app/state_images.h"
#include "common/error.h"
#include "sharing/sharing_commands.h"

namespace tarnu {

namespace {

constexpr const char* kCheckAll = "Check all FTP";

std::string nowText() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    return (locale.toString(now.date(), QLocale::ShortFormat) + ' ' +
            locale.toString(now.time(), QLocale::LongFormat))
        .toStdString();
}

}  // namespace

TfrmFTPList::TfrmFTPList(std::string listPath, Ui& ui, Shell& shell, DataPack* pack,
                         QWidget* parent)
    : QWidget(parent),
      listPath_(std::move(listPath)),
      ui_(ui),
      shell_(shell),
      pack_(pack),
      checks_(entries_, client_, nowText),
      tree_(new QTreeWidget(this)) {
    setObjectName("frmFTPList");
    tree_->setObjectName("tvFTP");
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_, 1);
    group_ = makeSideBarGroup("gFTPList", this,
                              {
                                  {"Button8", "Delete server", [this] { deleteServer(); }},
                                  {"Button9", "Check all FTP", [this] { toggleCheckAll(); }},
                                  {"Button10", "Open FTP", [this] { openServer(); }},
                                  {"Button11", "Check current FTP", [this] { checkCurrent(); }},
                                  {"Button16", "Add FTP", [this] { addServer(); }},
                              });

    checks_.onMarked = [this](std::size_t index, bool live) { mark(index, live); };
    checks_.onStatus = [this](const std::string& text) { ui_.setStatus(1, text); };
    checks_.onAllDone = [this] {
        if (QToolButton* button = checkAllButton()) {
            button->setText(kCheckAll);
        }
        save();
    };
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        const int server = tree_->indexOfTopLevelItem(item->parent());
        if (rebuilding_ || server < 0) {
            return;
        }
        entries_[static_cast<std::size_t>(server)].description = item->text(0).toStdString();
        save();
    });
}

QToolButton* TfrmFTPList::checkAllButton() const {
    return group_ ? group_->findChild<QToolButton*>("Button9") : nullptr;
}

void TfrmFTPList::checkCurrent() {
    if (const int server = selectedServer(); server >= 0) {
        checks_.checkOne(static_cast<std::size_t>(server));
    }
}

void TfrmFTPList::toggleCheckAll() {
    if (checks_.checkingAll()) {
        checks_.stop();
        checkAllButton()->setText(kCheckAll);
    } else if (!checks_.busy()) {
        checkAllButton()->setText("Stop checking");
        if (tree_->topLevelItemCount() > 0) {
            tree_->setCurrentItem(tree_->topLevelItem(0));
        }
        checks_.checkAll();
    }
}

void TfrmFTPList::showEvent(QShowEvent* event) {
    load();
    QWidget::showEvent(event);
}

void TfrmFTPList::load() {
    try {
        loadFtpList(listPath_, entries_);
    } catch (const Error& e) {
        ui_.showError(e.what());
    }
    rebuild();
}

void TfrmFTPList::save() {
    try {
        saveFtpList(listPath_, entries_);
    } catch (const Error& e) {
        ui_.showError(e.what());
    }
}

void TfrmFTPList::rebuild() {
    rebuilding_ = true;
    tree_->clear();
    for (const FtpServerEntry& entry : entries_) {
        auto* server = new QTreeWidgetItem(tree_, {QString::fromStdString(entry.host)});
        server->setIcon(0, stateImage(kStateUnreachable));
        auto* description =
            new QTreeWidgetItem(server, {QString::fromStdString(entry.description)});
        description->setIcon(0, stateImage(kStateImageDescription));
        auto* status = new QTreeWidgetItem(server, {QString::fromStdString(entry.status)});
        status->setIcon(0, stateImage(kStateImageStatusLine));
        // The host and the status line are fixed; only the description is the user's.
        for (QTreeWidgetItem* item : {server, description, status}) {
            const bool editable = isEditableFtpText(item == server ? 0 : 1, utf8(item->text(0)));
            item->setFlags(editable ? item->flags() | Qt::ItemIsEditable
                                    : item->flags() & ~Qt::ItemIsEditable);
        }
        server->setExpanded(true);
    }
    rebuilding_ = false;
}

int TfrmFTPList::selectedServer() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    if (item && item->parent()) {
        item = item->parent();
    }
    return item ? tree_->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}

void TfrmFTPList::addServer() {
    TfrmVServer dialog(pack_, this);
    if (const auto entry = dialog.edit("FTP server", {"0.0.0.0", "FTP file server"})) {
        entries_.push_back({entry->address, entry->description, std::string(kFtpStatusUnknown)});
        rebuild();
        save();
    }
}

void TfrmFTPList::deleteServer() {
    const int server = selectedServer();
    if (server < 0 || checks_.busy()) {
        return;
    }
    entries_.erase(entries_.begin() + server);
    rebuild();
    save();
}

void TfrmFTPList::openServer() {
    const int server = selectedServer();
    if (server >= 0) {
        shell_.open("ftp://" + entries_[static_cast<std::size_t>(server)].host);
    }
}

void TfrmFTPList::mark(std::size_t index, bool live) {
    QTreeWidgetItem* server = tree_->topLevelItem(static_cast<int>(index));
    if (!server) {
        return;
    }
    rebuilding_ = true;
    server->setIcon(0, stateImage(live ? kStateReachable : kStateUnreachable));
    if (server->childCount() > 1) {
        server->child(1)->setText(0, QString::fromStdString(entries_[index].status));
    }
    rebuilding_ = false;
}

}  // namespace tarnu
