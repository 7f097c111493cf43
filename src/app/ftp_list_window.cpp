#include "app/ftp_list_window.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/button_row.h"
#include "app/server_dialog.h"
#include "common/error.h"

namespace tarnu {

namespace {

std::string nowText() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    return (locale.toString(now.date(), QLocale::ShortFormat) + ' ' +
            locale.toString(now.time(), QLocale::LongFormat))
        .toStdString();
}

}  // namespace

TfrmFTPList::TfrmFTPList(std::string listPath, Ui& ui, Shell& shell, QWidget* parent)
    : QWidget(parent),
      listPath_(std::move(listPath)),
      ui_(ui),
      shell_(shell),
      checks_(entries_, client_, nowText),
      tree_(new QTreeWidget(this)) {
    setObjectName("frmFTPList");
    tree_->setObjectName("tvFTP");
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    auto* buttons = new QHBoxLayout;
    auto* checkAll = new QPushButton("Check all FTP", this);
    addButtons(buttons, this,
               {
                   {"Button16", "Add FTP", [this] { addServer(); }},
                   {"Button8", "Delete server", [this] { deleteServer(); }},
                   {"Button10", "Open FTP", [this] { openServer(); }},
                   {"Button11", "Check current FTP",
                    [this] {
                        if (selectedServer() >= 0) {
                            checks_.checkOne(static_cast<std::size_t>(selectedServer()));
                        }
                    }},
               });
    checkAll->setObjectName("Button9");
    buttons->addWidget(checkAll);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(tree_, 1);

    connect(checkAll, &QPushButton::clicked, this, [this, checkAll] {
        if (checks_.checkingAll()) {
            checks_.stop();
            checkAll->setText("Check all FTP");
        } else if (!checks_.busy()) {
            checkAll->setText("Stop checking");
            checks_.checkAll();
        }
    });
    checks_.onMarked = [this](std::size_t index, bool live) { mark(index, live); };
    checks_.onStatus = [this](const std::string& text) { ui_.setStatus(1, text); };
    checks_.onAllDone = [this, checkAll] {
        checkAll->setText("Check all FTP");
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
        server->setIcon(0, style()->standardIcon(QStyle::SP_DialogCancelButton));
        auto* description =
            new QTreeWidgetItem(server, {QString::fromStdString(entry.description)});
        description->setFlags(description->flags() | Qt::ItemIsEditable);
        new QTreeWidgetItem(server, {QString::fromStdString(entry.status)});
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
    TfrmVServer dialog(this);
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
    server->setIcon(0, style()->standardIcon(live ? QStyle::SP_DialogApplyButton
                                                  : QStyle::SP_DialogCancelButton));
    if (server->childCount() > 1) {
        server->child(1)->setText(0, QString::fromStdString(entries_[index].status));
    }
    rebuilding_ = false;
}

}  // namespace tarnu
