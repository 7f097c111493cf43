#include "app/sharing_pages.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include "app/button_row.h"
#include "app/server_dialog.h"
#include "app/server_search_dialog.h"
#include "common/error.h"

namespace tarnu {

namespace {

constexpr int kNodeRole = Qt::UserRole;

template <typename T>
T* pointerOf(const QTreeWidgetItem* item) {
    return item ? reinterpret_cast<T*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

template <typename T>
void keepPointer(QTreeWidgetItem* item, const T* pointer) {
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(pointer)));
}

// The item holding pointer, searched depth first.
QTreeWidgetItem* findItem(QTreeWidget* tree, const void* pointer) {
    std::vector<QTreeWidgetItem*> open;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        open.push_back(tree->topLevelItem(i));
    }
    while (!open.empty()) {
        QTreeWidgetItem* item = open.back();
        open.pop_back();
        if (pointerOf<const void>(item) == pointer) {
            return item;
        }
        for (int i = 0; i < item->childCount(); ++i) {
            open.push_back(item->child(i));
        }
    }
    return nullptr;
}

QAction* addKeyAction(QWidget* owner, const char* name, const QString& text,
                      const QList<QKeySequence>& keys) {
    auto* action = new QAction(text, owner);
    action->setObjectName(name);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(action);
    return action;
}

// A caption from the data pack; the form's own text while the pack has none (or is not
// open yet, as while the window is being built).
QString tableText(TarnuCore& core, const char* table, int line, const char* fallback) {
    try {
        const std::string text = core.dataPack().message(table, line);
        return text.empty() ? QString(fallback) : QString::fromStdString(text);
    } catch (const Error&) {
        return fallback;
    }
}

}  // namespace

SharedFilesPage::SharedFilesPage(TarnuCore& core, QWidget* parent)
    : QWidget(parent),
      core_(core),
      switch_(new QPushButton("Allow connections", this)),
      log_(new QListWidget(this)),
      tree_(new QTreeWidget(this)),
      path_(new QLabel(this)) {
    switch_->setObjectName("sbStartServer");
    log_->setObjectName("ListBox2");
    tree_->setObjectName("tlSharedFiles");
    tree_->setHeaderLabels({"Caption", "Full name", "Size"});
    auto* clearLog = new QPushButton("Clear log", this);
    clearLog->setObjectName("Button6");
    auto* header = new QHBoxLayout;
    header->addWidget(switch_);
    header->addWidget(clearLog);
    header->addWidget(log_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(tree_, 1);
    layout->addWidget(path_);
    path_->setMinimumWidth(150);

    auto* addFolderAction = addKeyAction(tree_, "Addfolder4", "Add folder", {});
    auto* deleteAction =
        addKeyAction(tree_, "Delete3", "Delete", {QKeySequence::Delete, QKeySequence(Qt::Key_F8)});
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this, [=, this](const QPoint& at) {
        Node* node = focusedNode();
        addFolderAction->setEnabled(node && SharedTree::isFolder(node));
        deleteAction->setEnabled(node && node != core_.sharedTree().root());
        QMenu menu;
        menu.addAction(addFolderAction);
        menu.addAction(deleteAction);
        menu.exec(tree_->viewport()->mapToGlobal(at));
    });
    connect(addFolderAction, &QAction::triggered, this, [this] { addFolder(); });
    connect(deleteAction, &QAction::triggered, this, [this] { deleteFocused(); });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] {
        const Node* node = focusedNode();
        path_->setText(node ? QString::fromStdString(core_.sharedTree().displayPath(node)) : "");
    });
    connect(switch_, &QPushButton::clicked, this, [this] {
        core_.sharing().toggleSharing();
        updateSwitch();
    });
    connect(clearLog, &QPushButton::clicked, this, [this] { core_.sharing().log().clear(); });
    log_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(log_, &QWidget::customContextMenuRequested, this,
            [this] { core_.sharing().log().clear(); });
    core_.sharing().log().onChanged = [this] { refreshLog(); };
    refresh();
}

// The tree has the keyboard when the tab is shown, as the ZuBook's tree has at start.
void SharedFilesPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    tree_->setFocus();
}

// The core outlives the page and may still log (sharing stops at shutdown).
SharedFilesPage::~SharedFilesPage() {
    core_.sharing().log().onChanged = nullptr;
}

Node* SharedFilesPage::focusedNode() const {
    return pointerOf<Node>(tree_->currentItem());
}

void SharedFilesPage::shareSelectedFiles() {
    core_.shareSelectedFiles(focusedNode());
    refresh();
}

void SharedFilesPage::addFolder() {
    core_.sharing().addFolder(focusedNode());
    refresh();
}

void SharedFilesPage::deleteFocused() {
    Node* node = focusedNode();
    if (!node || node == core_.sharedTree().root()) {
        return;
    }
    tree_->setCurrentItem(nullptr);
    core_.deleteSharedNode(node);
    refresh();
}

void SharedFilesPage::addChildren(QTreeWidgetItem* item, const Node* node) {
    for (const Node* child : core_.sharedTree().tree().children(node)) {
        auto* childItem = new QTreeWidgetItem(item);
        for (int column = 0; column < 3; ++column) {
            childItem->setText(column, QString::fromStdString(std::string(child->text(column))));
        }
        childItem->setIcon(
            0, style()->standardIcon(SharedTree::isFolder(child) ? QStyle::SP_DirIcon
                                                                 : QStyle::SP_FileIcon));
        keepPointer(childItem, child);
        addChildren(childItem, child);
    }
}

void SharedFilesPage::refresh() {
    const Node* focused = focusedNode();
    tree_->clear();
    const Node* root = core_.sharedTree().root();
    auto* rootItem = new QTreeWidgetItem(tree_, {":", "Folder", ""});
    rootItem->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    keepPointer(rootItem, root);
    addChildren(rootItem, root);
    rootItem->setExpanded(true);
    tree_->resizeColumnToContents(0);  // names are what the page is read by
    QTreeWidgetItem* again = focused ? findItem(tree_, focused) : nullptr;
    tree_->setCurrentItem(again ? again : rootItem);
    updateSwitch();
    refreshLog();
}

void SharedFilesPage::refreshLog() {
    log_->clear();
    for (const std::string& line : core_.sharing().log().lines()) {
        log_->addItem(QString::fromStdString(line));
    }
}

void SharedFilesPage::updateSwitch() {
    const bool on = core_.sharing().sharing();
    switch_->setText(tableText(core_, "ClientServer.cs", on ? 11 : 10, "Allow connections"));
}

DataTransferPage::DataTransferPage(TarnuCore& core, QWidget* parent)
    : QWidget(parent),
      core_(core),
      connect_(new QPushButton("Connect", this)),
      tree_(new QTreeWidget(this)),
      progress_(new QProgressBar(this)) {
    connect_->setObjectName("fspConnect");
    tree_->setObjectName("tlDataTrans");
    tree_->setHeaderLabels({"Caption", "Size"});
    progress_->setObjectName("ClientProgressBar");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setToolTip("Data transfer percent ;)");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(connect_);
    addButtons(
        buttons, this,
        {
            {"Button3", "Add server", [this] { addServer(); }},
            {"Button4", "Delete server", [this] { core_.sharing().deleteServer(focusedItem()); }},
            {"Button2", "Check", [this] { core_.sharing().check(); }},
            {"Button1", "Find servers", [this] { findServers(); }},
            {"Button7", "Download file", [this] { download(); }},
        });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(tree_, 1);
    layout->addWidget(progress_);
    // Tab goes as the eye reads the page: the buttons from left to right, then the tree.
    QWidget* previous = connect_;
    for (const char* name : {"Button3", "Button4", "Button2", "Button1", "Button7"}) {
        auto* button = findChild<QPushButton*>(name);
        setTabOrder(previous, button);
        previous = button;
    }
    setTabOrder(previous, tree_);

    auto* downloadAction = addKeyAction(tree_, "Download1", "Download", {QKeySequence(Qt::Key_F5)});
    connect(downloadAction, &QAction::triggered, this, [this] { download(); });
    // Return does what a double click does, so the page works without a mouse.
    auto* openAction = addKeyAction(tree_, "OpenRemote", "Open",
                                    {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    connect(openAction, &QAction::triggered, this, [this] { core_.sharing().open(focusedItem()); });
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this, [=, this](const QPoint& at) {
        const RemoteItem* item = focusedItem();
        downloadAction->setEnabled(item && !item->size.empty());
        QMenu menu;
        menu.addAction(downloadAction);
        menu.exec(tree_->viewport()->mapToGlobal(at));
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { core_.sharing().open(pointerOf<RemoteItem>(item)); });
    connect(connect_, &QPushButton::clicked, this,
            [this] { core_.sharing().connect(focusedItem()); });
    core_.sharing().onTransferChanged = [this] { refresh(); };
    core_.sharing().onProgress = [this](int percent) { progress_->setValue(percent); };
}

DataTransferPage::~DataTransferPage() {
    core_.sharing().onTransferChanged = nullptr;
    core_.sharing().onProgress = nullptr;
}

void DataTransferPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    tree_->setFocus();
}

RemoteItem* DataTransferPage::focusedItem() const {
    return pointerOf<RemoteItem>(tree_->currentItem());
}

void DataTransferPage::reload() {
    core_.sharing().loadServerList();
}

void DataTransferPage::refresh() {
    const RemoteItem* focused = focusedItem();
    tree_->clear();
    std::function<void(QTreeWidgetItem*, const RemoteItem&)> addChildren =
        [&](QTreeWidgetItem* parentItem, const RemoteItem& parent) {
            for (const auto& child : parent.children) {
                auto* item = new QTreeWidgetItem(
                    parentItem,
                    {QString::fromStdString(child->caption), QString::fromStdString(child->size)});
                item->setIcon(0, style()->standardIcon(child->isFolder() ? QStyle::SP_DirIcon
                                                                         : QStyle::SP_FileIcon));
                keepPointer(item, child.get());
                addChildren(item, *child);
            }
        };
    for (const auto& entry : core_.sharing().servers()) {
        auto* item = new QTreeWidgetItem(tree_, {QString::fromStdString(entry->caption), ""});
        item->setIcon(0, style()->standardIcon(entry->state == kStateReachable
                                                   ? QStyle::SP_DialogApplyButton
                                                   : QStyle::SP_DialogCancelButton));
        keepPointer(item, entry.get());
        addChildren(item, *entry);
        item->setExpanded(true);
    }
    if (QTreeWidgetItem* again = focused ? findItem(tree_, focused) : nullptr) {
        tree_->setCurrentItem(again);
        again->setExpanded(true);
    }
    tree_->resizeColumnToContents(0);
    connect_->setText(
        tableText(core_, "ClientServer.cs", core_.sharing().connected() ? 13 : 12, "Connect"));
}

void DataTransferPage::addServer() {
    TfrmVServer dialog(this);
    if (const auto entry = dialog.edit("Tarnu server", {"0.0.0.0", "Tarnu file server"})) {
        core_.sharing().addServer(entry->address, entry->description);
    }
}

void DataTransferPage::findServers() {
    TfrmFSServers dialog(core_.sharing().controlPort(), this);
    dialog.onAddToFavorite = [this](const std::string& address) {
        core_.sharing().addServer(address, "Tarnu file server");
    };
    dialog.exec();
}

void DataTransferPage::download() {
    core_.sharing().download(focusedItem(), core_.settings().downloadDir);
}

}  // namespace tarnu
