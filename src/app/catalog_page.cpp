#include "app/catalog_page.h"

#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "common/error.h"

namespace tarnu {

namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kSplitterTreeWidth = 200;

QIcon pictureOf(const QStyle* style, CatalogLevel level) {
    switch (level) {
        case CatalogLevel::Catalog:
            return style->standardIcon(QStyle::SP_DirHomeIcon);
        case CatalogLevel::Cd:
            return style->standardIcon(QStyle::SP_DriveCDIcon);
        case CatalogLevel::Directory:
            break;
    }
    return style->standardIcon(QStyle::SP_DirIcon);
}

}  // namespace

CatalogPage::CatalogPage(CatalogService& service, Ui& ui, QWidget* parent)
    : QWidget(parent), service_(service), ui_(ui) {
    setObjectName("pCDCatalog");
    auto* column = new QVBoxLayout(this);
    auto* header = new QLabel(this);
    header->setObjectName("CDHeader");
    header->setPixmap(style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(32, 32));
    column->addWidget(header);

    auto* tools = new QHBoxLayout;
    search_ = new QPushButton("Search", this);
    search_->setObjectName("bSearch");
    drives_ = new DriveBox(this);
    drives_->setObjectName("cbDrives");
    drives_->setMinimumWidth(160);
    searchText_ = new QLineEdit(this);
    searchText_->setObjectName("eSearch");
    tools->addWidget(search_);
    tools->addWidget(drives_);
    tools->addWidget(searchText_, 1);
    column->addLayout(tools);

    auto* splitter = new QSplitter(this);
    tree_ = new QTreeWidget(splitter);
    tree_->setObjectName("tvCatalog");
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->installEventFilter(this);
    list_ = new QListWidget(splitter);
    list_->setObjectName("lvFiles");
    list_->setViewMode(QListView::ListMode);
    list_->setFlow(QListView::TopToBottom);
    list_->setWrapping(true);
    list_->setResizeMode(QListView::Adjust);
    splitter->setSizes({kSplitterTreeWidth, 400});
    splitter->handle(1)->installEventFilter(this);
    column->addWidget(splitter, 1);

    const auto action = [this](const char* name, const char* text, auto command) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this,
                [this, command] { run([this, command] { (this->*command)(); }); });
        return a;
    };
    addCatalog_ = action("aAddCatalog", "Add new catalog", &CatalogPage::aAddCatalogExecute);
    deleteCatalog_ =
        action("aDeleteCatalog", "Delete catalog", &CatalogPage::aDeleteCatalogExecute);
    addActiveCd_ = action("aAddActiveCD", "Add active CD to current catalog",
                          &CatalogPage::aAddActiveCdExecute);
    deleteCd_ = action("aDeleteCD", "Delete CD", &CatalogPage::aDeleteCdExecute);
    expandAll_ = new QAction("Expand all", this);
    connect(expandAll_, &QAction::triggered, tree_, &QTreeWidget::expandAll);
    collapseAll_ = new QAction("Collapse all", this);
    connect(collapseAll_, &QAction::triggered, tree_, &QTreeWidget::collapseAll);
    group_ = createSideBarGroup();

    CdCatalog& catalog = service_.catalog();
    catalog.onTreeReset = [this] { buildTree(); };
    catalog.onListChanged = [this] { fillList(); };
    service_.search().onRunningChanged = [this] {
        search_->setText(qs(service_.search().buttonCaption()));
    };
    service_.search().onNodeSelected = [this](const CatalogNode* node) { selectNode(node); };
    service_.setDrivesChangeHandler([this] { refillDrives(); });
    drives_->beforePopup = [this] { refillDrives(); };
    refillDrives();

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!filling_) {
            run([this, item] { service_.catalog().select(nodeOf(item)); });
        }
    });
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (filling_) {
            return;
        }
        const CatalogNode* node = nodeOf(item);
        run([this, node, item] {
            if (!service_.catalog().renameInPlace(node, utf8(item->text(0)))) {
                filling_ = true;
                item->setText(0, qs(node->text()));  // names of CDs key their listings
                filling_ = false;
            }
        });
    });
    connect(tree_, &QWidget::customContextMenuRequested, this, &CatalogPage::showContextMenu);
    connect(search_, &QPushButton::clicked, this, [this] { searchExecute(); });
    connect(searchText_, &QLineEdit::returnPressed, this, [this] { searchExecute(); });
}

QWidget* CatalogPage::createSideBarGroup() {
    // Kept by the page while the side bar does not hold it, so that it goes with the page.
    auto* page = new QWidget(this);
    page->hide();
    page->setObjectName("gCDCatalog");
    auto* column = new QVBoxLayout(page);
    column->setSpacing(2);
    const auto button = [&](const char* text, std::function<void()> command) {
        auto* b = new QToolButton(page);
        b->setText(text);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(b, &QToolButton::clicked, this, [this, command] { run(command); });
        column->addWidget(b);
    };
    button("Make backup", [this] { service_.catalog().makeBackup(); });
    button("Restore from backup", [this] { service_.catalog().restoreFromBackup(); });
    button("Add CD", [this] { aAddActiveCdExecute(); });
    button("Delete CD", [this] { service_.catalog().deleteCdButton(current()); });
    column->addStretch();
    return page;
}

void CatalogPage::attach(QTabWidget* tabs, QToolBox* sideBar, QAction* menuItem) {
    menuItem->setEnabled(true);
    connect(menuItem, &QAction::triggered, this,
            [this, tabs, sideBar] { toggleTab(tabs, sideBar); });
    connect(tabs, &QTabWidget::currentChanged, this, [this, tabs, sideBar](int index) {
        const int group = sideBar->indexOf(group_);
        if (tabs->widget(index) == this) {
            if (group < 0) {
                sideBar->addItem(group_, "CD catalog");
            }
            sideBar->setCurrentWidget(group_);
            run([this] { service_.catalog().showPage(); });
        } else if (group >= 0) {
            sideBar->removeItem(group);
            group_->setParent(this);
            group_->hide();
        }
    });
}

void CatalogPage::toggleTab(QTabWidget* tabs, QToolBox* /*sideBar*/) {
    const int at = tabs->indexOf(this);
    if (at < 0) {
        tabs->setCurrentIndex(tabs->addTab(this, "CD catalog"));
    } else {
        tabs->setCurrentIndex(0);
        tabs->removeTab(tabs->indexOf(this));
        hide();
    }
}

void CatalogPage::run(const std::function<void()>& command) {
    try {
        command();
    } catch (const Error& e) {
        ui_.showError(e.what());
    }
}

const CatalogNode* CatalogPage::nodeOf(const QTreeWidgetItem* item) const {
    return item ? static_cast<const CatalogNode*>(item->data(0, kNodeRole).value<const void*>())
                : nullptr;
}

const CatalogNode* CatalogPage::current() const {
    return nodeOf(tree_->currentItem());
}

void CatalogPage::showPage() {
    run([this] { service_.catalog().showPage(); });
}

void CatalogPage::buildTree() {
    filling_ = true;
    tree_->clear();
    const CatalogTree& catalogTree = service_.catalog().tree();
    std::vector<QTreeWidgetItem*> parents;
    for (const CatalogNode* node = catalogTree.first(); node; node = catalogTree.next(node)) {
        const auto level = static_cast<std::size_t>(node->level());
        parents.resize(level);
        auto* item = level == 0 ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(parents.back());
        item->setText(0, qs(node->text()));
        item->setIcon(0, pictureOf(style(), node->kind()));
        item->setData(0, kNodeRole, QVariant::fromValue(static_cast<const void*>(node)));
        if (node->kind() == CatalogLevel::Catalog) {
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
        parents.push_back(item);
    }
    list_->clear();
    filling_ = false;
}

void CatalogPage::selectNode(const CatalogNode* node) {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        if (nodeOf(*it) == node) {
            filling_ = true;
            tree_->setCurrentItem(*it);
            filling_ = false;
            return;
        }
    }
}

void CatalogPage::fillList() {
    list_->clear();
    const CdCatalog& catalog = service_.catalog();
    for (const auto& item : catalog.list()) {
        list_->addItem(new QListWidgetItem(
            style()->standardIcon(item.directory ? QStyle::SP_DirIcon : QStyle::SP_FileIcon),
            qs(item.caption)));
    }
    if (catalog.selectedItem() >= 0) {
        list_->setCurrentRow(catalog.selectedItem());
        list_->scrollToItem(list_->currentItem());
    }
}

void CatalogPage::refillDrives() {
    const QString chosen = drives_->currentData().toString();
    drives_->clear();
    for (const Volume& volume : service_.volumes()) {
        drives_->addItem(
            style()->standardIcon(volume.optical ? QStyle::SP_DriveCDIcon : QStyle::SP_DriveHDIcon),
            qs(volume.name) + " (" + qs(volume.mountPoint) + ")", qs(volume.mountPoint));
    }
    drives_->addItem(style()->standardIcon(QStyle::SP_DirOpenIcon), kChooseFolder, QString());
    const int again = chosen.isEmpty() ? -1 : drives_->findData(chosen);
    drives_->setCurrentIndex(again >= 0 ? again : 0);
}

void CatalogPage::aAddCatalogExecute() {
    service_.catalog().addCatalog();
    buildTree();
}

void CatalogPage::aAddActiveCdExecute() {
    const CatalogNode* catalog = current();
    if (!catalog || catalog->kind() != CatalogLevel::Catalog) {
        return;
    }
    const QString mountPoint = drives_->currentData().toString();
    if (mountPoint.isEmpty()) {
        if (const auto folder = ui_.chooseFolder(kChooseFolder, utf8(QDir::homePath()))) {
            service_.addFolder(catalog, *folder);
        }
        return;
    }
    for (const Volume& volume : service_.volumes()) {
        if (qs(volume.mountPoint) == mountPoint) {
            service_.addVolume(catalog, volume);
        }
    }
}

void CatalogPage::aDeleteCatalogExecute() {
    service_.catalog().deleteCatalog(current());
}

void CatalogPage::aDeleteCdExecute() {
    service_.catalog().deleteCd(current());
}

void CatalogPage::searchExecute() {
    const QTreeWidgetItem* top = tree_->itemAt(0, 0);
    service_.searchButton(utf8(searchText_->text()), nodeOf(top));
}

void CatalogPage::showContextMenu(const QPoint& at) {
    const CatalogNode* node = current();
    const bool catalog = node && node->kind() == CatalogLevel::Catalog;
    deleteCatalog_->setEnabled(catalog);
    addActiveCd_->setEnabled(catalog);
    deleteCd_->setEnabled(node && node->kind() == CatalogLevel::Cd);
    QMenu menu(this);
    menu.addActions({addCatalog_, deleteCatalog_, addActiveCd_, deleteCd_});
    menu.addSeparator();
    menu.addActions({expandAll_, collapseAll_});
    menu.exec(tree_->viewport()->mapToGlobal(at));
}

bool CatalogPage::eventFilter(QObject* watched, QEvent* event) {
    // Keys reach the tree only while no name is being edited.
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            run([this] { service_.catalog().deleteKey(current()); });
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && tree_->currentItem()) {
            tree_->currentItem()->setExpanded(!tree_->currentItem()->isExpanded());
            return true;
        }
    }
    if (watched != tree_ && event->type() == QEvent::MouseButtonDblClick) {
        auto* splitter = static_cast<QSplitter*>(tree_->parentWidget());
        const int total = splitter->sizes().value(0) + splitter->sizes().value(1);
        splitter->setSizes({kSplitterTreeWidth, total - kSplitterTreeWidth});
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tarnu
