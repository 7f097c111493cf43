#include "app/sharing_pages.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/server_dialog.h"
#include "app/server_search_dialog.h"
#include "app/side_bar_groups.h"
#include "app/state_images.h"
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

void showPackPicture(TarnuCore& core, PictureBox& box, const char* entry) {
    std::optional<Picture> picture;
    try {
        picture = core.dataPack().loadPicture(entry);
    } catch (const Error&) {
        // Without the image pack the page simply has no picture.
    }
    box.setPicture(picture ? QPixmap::fromImage(toImage(*picture)) : QPixmap());
}

// What a page shows of its state (off, on): its button and the button's twin on the side
// bar, its picture and its tab caption.
struct PageFace {
    const char* sideButton;
    int sideImage[2];
    int buttonLine[2];
    const char* buttonText;
    const char* picture[2];
    int tabLine[2];
    const char* tabText;
};

constexpr PageFace kSharedFace{.sideButton = "Button5",
                               .sideImage = {26, 25},
                               .buttonLine = {10, 11},
                               .buttonText = "Allow connections",
                               .picture = {"ZuShared1.jpg", "ZuShared.jpg"},
                               .tabLine = {1, 6},
                               .tabText = "ZuShared files"};
constexpr PageFace kTransferFace{.sideButton = "obConnect",
                                 .sideImage = {20, 21},
                                 .buttonLine = {12, 13},
                                 .buttonText = "Connect",
                                 .picture = {"ZuFile1.jpg", "ZuFile.jpg"},
                                 .tabLine = {2, 6},
                                 .tabText = "ZuData transfer"};

void showFace(TarnuCore& core, const PageFace& face, bool on, QWidget& group, QPushButton& button,
              PictureBox& picture, const std::function<void(const QString&)>& tabCaption) {
    const QString text = tableText(core, "ClientServer.cs", face.buttonLine[on], face.buttonText);
    button.setText(text);
    if (auto* twin = group.findChild<QToolButton*>(face.sideButton)) {
        twin->setText(text);
        twin->setIcon(sideBarImage(face.sideImage[on]));
    }
    showPackPicture(core, picture, face.picture[on]);
    if (tabCaption) {
        tabCaption(tableText(core, "ClientServer.cs", face.tabLine[on], face.tabText));
    }
}

}  // namespace

SharedFilesPage::SharedFilesPage(TarnuCore& core, QtIcons& icons, QWidget* parent)
    : QWidget(parent),
      core_(core),
      icons_(icons),
      picture_(new PictureBox(this)),
      switch_(new QPushButton("Allow connections", this)),
      log_(new QListWidget(this)),
      tree_(new QTreeWidget(this)),
      path_(new QLabel(this)) {
    setObjectName("pShared");
    setFocusProxy(tree_);  // the tab switch gives the page's tree the keyboard
    picture_->setObjectName("imShared");
    switch_->setObjectName("sbStartServer");
    log_->setObjectName("ListBox2");
    tree_->setObjectName("tlSharedFiles");
    tree_->setHeaderLabels({"Caption", "Full name", "Size"});
    tree_->setColumnWidth(0, 220);
    tree_->setColumnWidth(1, 420);
    group_ =
        makeSideBarGroup("gZuShared", this,
                         {{"Button5", "Allow connections", [this] { toggleSharing(); }},
                          {"Button6", "Clear log", [this] { core_.sharing().log().clear(); }}});
    auto* header = new QHBoxLayout;
    header->addWidget(picture_);
    header->addWidget(switch_);
    header->addWidget(log_, 1);
    log_->setMinimumWidth(300);
    log_->setMaximumHeight(100);  // a few recent lines beside the picture, not a page of its own
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
    connect(switch_, &QPushButton::clicked, this, [this] { toggleSharing(); });
    log_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(log_, &QWidget::customContextMenuRequested, this,
            [this] { core_.sharing().log().clear(); });
    core_.sharing().log().onChanged = [this] { refreshLog(); };
    refresh();
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

void SharedFilesPage::toggleSharing() {
    core_.sharing().toggleSharing();
    updateSwitch();
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
        childItem->setIcon(0, icons_.icon(child->imageIndex()));
        keepPointer(childItem, child);
        addChildren(childItem, child);
    }
}

void SharedFilesPage::refresh() {
    const Node* focused = focusedNode();
    tree_->clear();
    const Node* root = core_.sharedTree().root();
    auto* rootItem = new QTreeWidgetItem(tree_, {":", "Folder", ""});
    rootItem->setIcon(0, icons_.icon(icons_.folderIcon()));
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
    if (shownState_ == static_cast<int>(on)) {
        return;
    }
    shownState_ = on;
    showFace(core_, kSharedFace, on, *group_, *switch_, *picture_, onTabCaption);
}

DataTransferPage::DataTransferPage(TarnuCore& core, QtIcons& icons, QWidget* parent)
    : QWidget(parent),
      core_(core),
      icons_(icons),
      picture_(new PictureBox(this)),
      connect_(new QPushButton("Connect", this)),
      address_(new QLineEdit("0.0.0.0", this)),
      tree_(new QTreeWidget(this)),
      progress_(new QProgressBar(this)) {
    setObjectName("pTransfer");
    setFocusProxy(tree_);
    picture_->setObjectName("imTransfer");
    connect_->setObjectName("fspConnect");
    address_->setObjectName("FlatEdit1");
    address_->setReadOnly(true);  // it shows the connected address; entries are the list's
    address_->setMaximumWidth(140);
    tree_->setObjectName("tlDataTrans");
    tree_->setHeaderLabels({"Caption", "Size"});
    tree_->setColumnWidth(0, 420);
    progress_->setObjectName("ClientProgressBar");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setToolTip("Data transfer percent ;)");
    const auto connectFocused = [this] { core_.sharing().connect(focusedItem()); };
    group_ = makeSideBarGroup(
        "gZuTransfer", this,
        {
            {"obConnect", "Connect", connectFocused},
            {"Button2", "Check", [this] { core_.sharing().check(); }},
            {"Button3", "Add server", [this] { addServer(); }},
            {"Button4", "Delete server", [this] { core_.sharing().deleteServer(focusedItem()); }},
            {"Button1", "Find servers", [this] { findServers(); }},
            {"Button7", "Download file", [this] { download(); }},
        });
    auto* header = new QHBoxLayout;
    header->addWidget(picture_);
    header->addWidget(connect_);
    header->addWidget(address_);
    header->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(tree_, 1);
    layout->addWidget(progress_);

    auto* downloadAction = addKeyAction(tree_, "Download1", "Download", {QKeySequence(Qt::Key_F5)});
    connect(downloadAction, &QAction::triggered, this, [this] { download(); });
    // Return does what a double click does, so the page works without a mouse.
    auto* openAction = addKeyAction(tree_, "OpenRemote", "Open",
                                    {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    connect(openAction, &QAction::triggered, this, [this] { core_.sharing().open(focusedItem()); });
    // Insert adds a server as the side bar's "Add server" does, without leaving the list.
    auto* addServerAction =
        addKeyAction(tree_, "AddServer1", "Add server", {QKeySequence(Qt::Key_Insert)});
    connect(addServerAction, &QAction::triggered, this, [this] { addServer(); });
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this, [=, this](const QPoint& at) {
        const RemoteItem* item = focusedItem();
        downloadAction->setEnabled(item && !item->isServerEntry());
        QMenu menu;
        menu.addAction(downloadAction);
        menu.exec(tree_->viewport()->mapToGlobal(at));
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { core_.sharing().open(pointerOf<RemoteItem>(item)); });
    connect(connect_, &QPushButton::clicked, this, connectFocused);
    core_.sharing().onTransferChanged = [this] { refresh(); };
    core_.sharing().onProgress = [this](int percent) { progress_->setValue(percent); };
    updateConnection();
    core_.sharing().onFolderProgress = [this](std::size_t ended, std::size_t known) {
        progress_->setFormat(known == 0 ? QString("%p%")
                                        : QString("%p% (%1 of %2 files)").arg(ended).arg(known));
    };
}

DataTransferPage::~DataTransferPage() {
    core_.sharing().onTransferChanged = nullptr;
    core_.sharing().onProgress = nullptr;
    core_.sharing().onFolderProgress = nullptr;
}

RemoteItem* DataTransferPage::focusedItem() const {
    return pointerOf<RemoteItem>(tree_->currentItem());
}

void DataTransferPage::reload() {
    core_.sharing().loadServerList();
    address_->setEnabled(true);
}

// A remote item's picture comes from its name alone, without touching any disk.
QIcon DataTransferPage::iconOf(const RemoteItem& item) {
    if (item.isServerEntry()) {
        return stateImage(item.state);
    }
    return icons_.icon(item.isFolder() ? icons_.folderIcon() : icons_.fileIcon(item.caption));
}

void DataTransferPage::updateConnection() {
    const bool on = core_.sharing().connected();
    address_->setText(on ? core_.sharing().client().address().toString() : "0.0.0.0");
    address_->setEnabled(!on);
    if (shownState_ == static_cast<int>(on)) {
        return;
    }
    shownState_ = on;
    showFace(core_, kTransferFace, on, *group_, *connect_, *picture_, onTabCaption);
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
                item->setIcon(0, iconOf(*child));
                keepPointer(item, child.get());
                addChildren(item, *child);
            }
        };
    for (const auto& entry : core_.sharing().servers()) {
        auto* item = new QTreeWidgetItem(tree_, {QString::fromStdString(entry->caption), ""});
        item->setIcon(0, iconOf(*entry));
        keepPointer(item, entry.get());
        addChildren(item, *entry);
        item->setExpanded(true);
    }
    if (QTreeWidgetItem* again = focused ? findItem(tree_, focused) : nullptr) {
        tree_->setCurrentItem(again);
        again->setExpanded(true);
    }
    updateConnection();
    tree_->resizeColumnToContents(0);
}

void DataTransferPage::addServer() {
    TfrmVServer dialog(&core_.dataPack(), this);
    if (const auto entry = dialog.edit("Tarnu server", {"0.0.0.0", "Tarnu file server"})) {
        core_.sharing().addServer(entry->address, entry->description);
    }
}

void DataTransferPage::findServers() {
    TfrmFSServers dialog(core_.sharing().controlPort(), &core_.dataPack(), this);
    dialog.onAddToFavorite = [this](const std::string& address) {
        core_.sharing().addServer(address, "Tarnu file server");
    };
    if (dialog.exec() == QDialog::Accepted && !dialog.chosen().empty()) {
        address_->setText(QString::fromStdString(dialog.chosen()));
    }
}

void DataTransferPage::download() {
    core_.sharing().download(focusedItem(), core_.settings().downloadDir);
}

}  // namespace tarnu
