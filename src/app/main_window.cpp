#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDockWidget>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include "app/about_dialog.h"
#include "app/add_options_dialog.h"
#include "app/options_dialog.h"
#include "app/widget_captions.h"
#include "common/error.h"
#include "document/form_placement.h"
#include "operations/locking.h"

namespace tarnu {

namespace {

constexpr std::string_view kAskTable = "AskRes.ar";

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TfrmMain::TfrmMain(TarnuCore& core, QtIcons& icons) : core_(core), icons_(icons) {
    setObjectName("frmMain");
    setWindowTitle("Tarnu");
    setWindowIcon(QIcon::fromTheme("bookmarks", style()->standardIcon(QStyle::SP_DirIcon)));
    resize(900, 600);
    createActions();
    createMenus();
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(createSideBar());
    tabs_ = new QTabWidget(central);
    tabs_->setObjectName("Tab");
    tabs_->addTab(createZuBookPage(), "ZuBook");
    tabs_->addTab(new QWidget(tabs_), "ZuShared files");
    tabs_->addTab(new QWidget(tabs_), "ZuData transfer");
    tabs_->setTabEnabled(1, false);
    tabs_->setTabEnabled(2, false);
    layout->addWidget(tabs_, 1);
    setCentralWidget(central);
    createStatusBar();
    createTray();
    connectCommands();
    connectFolderCommands();
    connectOptionCommands();
    core_.document().setListener(this);
    core_.attachView(this);
    core_.onToggleVisibility = [this] { toggleProgram(); };
    core_.setAddOptionsDialog([this](AddOptionsCopy& copy) {
        TfrmAddOpt dialog(&core_.dataPack(), this);
        return dialog.run(copy, core_.settings());
    });
}

TfrmMain::~TfrmMain() {
    core_.attachView(nullptr);
    core_.setAddOptionsDialog(nullptr);
    core_.document().setListener(nullptr);
    core_.onToggleVisibility = nullptr;
}

QAction* TfrmMain::makeAction(const char* name, const QString& text, const QKeySequence& shortcut) {
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
    }
    actions_[name] = a;
    return a;
}

QAction* TfrmMain::action(const char* name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void TfrmMain::createActions() {
    makeAction("NewZuBook1", "New ZuBook");
    makeAction("LoadZuBook1", "Load ZuBook...", QKeySequence("Ctrl+O"));
    makeAction("SaveZuBook1", "Save ZuBook", QKeySequence("Ctrl+S"));
    makeAction("SaveAs1", "Save As...");
    makeAction("Close1", "Close")->setVisible(false);
    makeAction("aExit", "Exit");
    makeAction("aNewFolder", "New ZuFolder", QKeySequence("Ctrl+N"));
    makeAction("aAddFolder", "Add folder...");
    makeAction("aAddFiles", "Add files...", QKeySequence("Ctrl+B"));
    makeAction("aDelete", "Delete");
    makeAction("aRename", "Rename...");
    makeAction("aLockFiles", "Lock files");
    makeAction("aUnlockFiles", "Unlock files");
    makeAction("aSetHotKey", "Set hotkey...");
    makeAction("aUnsetHotKey", "Delete hotkey");
    makeAction("aCheckLinks", "Check links");
    makeAction("Find1", "Find...", QKeySequence("Ctrl+F"));
    makeAction("PlugIns1", "Plug-Ins...");
    makeAction("Expandselection1", "Expand selection");
    makeAction("Hotfoldersmanage1", "\"Hot\" folders manage");
    makeAction("CDcatalog1", "CD catalog")->setCheckable(true);
    makeAction("FTPlist1", "FTP list")->setCheckable(true);
    makeAction("Synchronize1", "Synchronize");
    makeAction("AddZuBooktofavorite1", "Add ZuBook to favorite");
    makeAction("Fullexpand1", "Full expand");
    makeAction("Fullcollapse1", "Full collapse");
    makeAction("Showcoments1", "Show coments")->setCheckable(true);
    makeAction("General1", "General...", QKeySequence("Ctrl+F10"));
    makeAction("FilesFolders1", "Files && Folders...");
    makeAction("Resetworkspace1", "Reset workspace");
    makeAction("TarnuHelp1", "Tarnu Help", QKeySequence("F1"));
    makeAction("About1", "About...");
    makeAction("ShowDubo", "Show Dubo");
    makeAction("HideDubo", "Hide Dubo");
    // Commands whose windows are not there yet stay visible but disabled.
    for (const char* later :
         {"aSetHotKey", "aUnsetHotKey", "Find1", "PlugIns1", "Expandselection1",
          "Hotfoldersmanage1", "CDcatalog1", "FTPlist1", "Synchronize1", "AddZuBooktofavorite1"}) {
        action(later)->setEnabled(false);
    }
}

void TfrmMain::createMenus() {
    auto addMenu = [this](const char* name, const QString& title,
                          std::initializer_list<const char*> items) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(name);
        for (const char* item : items) {
            if (item == nullptr) {
                menu->addSeparator();
            } else {
                menu->addAction(action(item));
            }
        }
        return menu;
    };
    addMenu("File1", "&File",
            {"NewZuBook1", "LoadZuBook1", "SaveZuBook1", "SaveAs1", "Close1", nullptr, "aExit"});
    zuBookMenus_.push_back(
        addMenu("Folders1", "F&olders",
                {"aNewFolder", "aAddFolder", "aAddFiles", nullptr, "aDelete", "aRename"}));
    zuBookMenus_.push_back(addMenu("Links1", "&Links",
                                   {"aLockFiles", "aUnlockFiles", nullptr, "aSetHotKey",
                                    "aUnsetHotKey", nullptr, "aCheckLinks"}));
    zuBookMenus_.push_back(
        addMenu("Tools1", "&Tools",
                {"Find1", "PlugIns1", "Expandselection1", "Hotfoldersmanage1", nullptr,
                 "CDcatalog1", "FTPlist1", "Synchronize1", nullptr, "AddZuBooktofavorite1", nullptr,
                 "Fullexpand1", "Fullcollapse1", "Showcoments1"}));
    addMenu("Options1", "O&ptions", {"General1", "FilesFolders1", nullptr, "Resetworkspace1"});
    addMenu("Help1", "&Help", {"TarnuHelp1", nullptr, "About1"});
}

QWidget* TfrmMain::createSideBar() {
    sideBar_ = new QToolBox(this);
    sideBar_->setObjectName("SideBar");
    sideBar_->setMinimumWidth(150);
    sideBar_->setMaximumWidth(190);
    auto addGroup = [this](const char* name, const QString& title,
                           std::initializer_list<const char*> items) {
        auto* page = new QWidget(sideBar_);
        page->setObjectName(name);
        auto* column = new QVBoxLayout(page);
        column->setSpacing(2);
        for (const char* item : items) {
            auto* button = new QToolButton(page);
            button->setDefaultAction(action(item));
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            column->addWidget(button);
        }
        column->addStretch();
        sideBar_->addItem(page, title);
    };
    addGroup("gFolders", "Folders",
             {"aNewFolder", "aAddFiles", "aDelete", "aRename", "aAddFolder"});
    addGroup("gLinks", "Links",
             {"aLockFiles", "aUnlockFiles", "aSetHotKey", "aUnsetHotKey", "aCheckLinks"});
    addGroup("gFavorite", "Favorite", {});
    return sideBar_;
}

QWidget* TfrmMain::createZuBookPage() {
    auto* page = new QWidget(this);
    page->setObjectName("pZuBook");
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    pagePicture_ = new QLabel(page);
    pagePicture_->setObjectName("imZuBook");
    column->addWidget(pagePicture_);
    tree_ = new ZuBookTreeView(page);
    tree_->setObjectName("TreeList");
    model_ = new ZuBookTreeModel(core_.tree(), icons_, this);
    tree_->setModel(model_);
    tree_->setUniformRowHeights(true);  // a million rows scroll without measuring each
    tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setDragEnabled(true);
    tree_->setAcceptDrops(true);
    tree_->setDropIndicatorShown(true);
    tree_->setDragDropMode(QAbstractItemView::InternalMove);
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);
    tree_->header()->setSectionsMovable(false);
    column->addWidget(tree_, 1);
    summary_ = new QLabel(page);
    summary_->setObjectName("pnSummary");
    summary_->setTextFormat(Qt::PlainText);
    column->addWidget(summary_);

    auto* dock = new QDockWidget("Comment", this);
    dock->setObjectName("pnComment");
    comment_ = new QPlainTextEdit(dock);
    comment_->setObjectName("mmComment");
    comment_->setReadOnly(true);
    dock->setWidget(comment_);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    dock->hide();
    return page;
}

void TfrmMain::createStatusBar() {
    const int widths[] = {200, 300, 0};
    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new QLabel(this);
        statusPanels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
        if (widths[i]) {
            statusPanels_[i]->setMinimumWidth(widths[i]);
        }
        statusBar()->addWidget(statusPanels_[i], widths[i] ? 0 : 1);
    }
    setStatusText(0, QString("\"%1\" - Hide").arg(qs(kFixedHotKeyText)));
}

QLabel* TfrmMain::statusPanel(int panel) const {
    return (panel >= 0 && panel < 3) ? statusPanels_[panel] : nullptr;
}

void TfrmMain::setStatusText(int panel, const QString& text) {
    if (QLabel* label = statusPanel(panel)) {
        label->setText(text);
    }
}

void TfrmMain::createTray() {
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip("Tarnu - links to files and folders");
    auto* menu = new QMenu(this);
    menu->setObjectName("pmTray");
    menu->addAction(action("ShowDubo"));
    menu->addAction(action("HideDubo"));
    menu->addSeparator();
    menu->addAction(action("aExit"));
    tray_->setContextMenu(menu);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](auto reason) {
        if (reason == QSystemTrayIcon::DoubleClick) {
            toggleProgram();
        }
    });
}

void TfrmMain::runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const Error& e) {
        core_.ui().showError(e.what());
    }
}

void TfrmMain::connectCommands() {
    auto on = [this](const char* name, std::function<void()> command) {
        connect(action(name), &QAction::triggered, this,
                [this, command = std::move(command)] { runCommand(command); });
    };
    ZuBookDocument& doc = core_.document();
    on("NewZuBook1", [this, &doc] {
        if (core_.mayReplaceZuBook()) {
            doc.newZuBook();
        }
    });
    on("LoadZuBook1", [this, &doc] {
        if (core_.mayReplaceZuBook()) {
            doc.loadMenu();
        }
    });
    on("SaveZuBook1", [&doc] { doc.saveMenu(); });
    on("SaveAs1", [&doc] { doc.saveAs(); });
    on("aExit", [this] { exitProgram(); });
    on("ShowDubo", [this] { showProgram(); });
    on("HideDubo", [this] { hideProgram(); });
    on("aCheckLinks", [this] {
        checkLinks(core_.tree(), core_.icons());
        treeChanged();
    });
    on("aLockFiles", [this] {
        aLockFilesExecute(core_.tree(), selectedNodes(), core_.locks(),
                          [this] { core_.document().autoSave(); });
        treeChanged();
    });
    on("aUnlockFiles", [this] {
        aUnlockFilesExecute(core_.tree(), selectedNodes(), core_.locks(),
                            [this] { core_.document().autoSave(); });
        treeChanged();
    });
    connect(tree_, &QTreeView::expanded, this, [this](const QModelIndex& i) {
        if (Node* n = model_->nodeAt(i)) {
            n->setExpanded(true);
        }
    });
    connect(tree_, &QTreeView::collapsed, this, [this](const QModelIndex& i) {
        if (Node* n = model_->nodeAt(i)) {
            n->setExpanded(false);
        }
    });
    connect(tree_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { syncSelectionToTree(); });
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { showComment(); });
}

void TfrmMain::connectFolderCommands() {
    auto on = [this](const char* name, std::function<void()> command) {
        connect(action(name), &QAction::triggered, this,
                [this, command = std::move(command)] { runCommand(command); });
    };
    ZuBookEditor& editor = core_.editor();
    ZuBookAdder& adder = core_.adder();
    on("aNewFolder", [&editor] { editor.aNewFolderExecute(); });
    on("aAddFiles", [&adder] { adder.aAddFilesExecute(); });
    on("aAddFolder", [&adder] { adder.aAddFolderExecute(); });
    on("aDelete", [this, &editor] { editor.aDeleteExecute(focusedNode(), editing()); });
    on("aRename", [this, &editor] { editor.aRenameExecute(focusedNode()); });
    on("Fullexpand1", [this, &editor] {
        editor.fullExpand();
        restoreExpansion({});
    });
    on("Fullcollapse1", [this, &editor] {
        editor.fullCollapse();
        tree_->collapseAll();
    });
    model_->editText = [&editor](const Node& node) {
        return QString::fromStdString(editor.TreeListEditing(node));
    };
    model_->onCaptionEdited = [this, &editor](Node* node, const QString& text) {
        runCommand([&] { editor.TreeListEdited(node, text.toStdString()); });
        QTimer::singleShot(0, this, [this] { treeChanged(); });  // the node may sort elsewhere
    };
    model_->canDropOn = [this, &editor](const Node* target) {
        return editor.canDrop(target, focusedNode());
    };
    model_->dropOn = [this, &editor](Node* target) {
        editor.TreeListDragDrop(target);
        QTimer::singleShot(0, this, [this] { treeChanged(); });  // after the drag has ended
    };
    connect(tree_, &QWidget::customContextMenuRequested, this, &TfrmMain::showContextMenu);
}

void TfrmMain::connectOptionCommands() {
    connect(action("General1"), &QAction::triggered, this, [this] { openOptions(0); });
    connect(action("FilesFolders1"), &QAction::triggered, this, [this] { openOptions(1); });
    connect(action("Resetworkspace1"), &QAction::triggered, this, [this] { resetWorkspace(); });
    connect(action("About1"), &QAction::triggered, this, [this] {
        TfrmAbout about(&core_.dataPack(), this);
        about.exec();
    });
    connect(action("TarnuHelp1"), &QAction::triggered, this, [this] {
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(QString::fromStdString(core_.programDir()) + "/help/index.html"));
    });
    connect(action("Showcoments1"), &QAction::toggled, this, [this](bool on) {
        core_.settings().showComments = on;
        if (auto* dock = findChild<QDockWidget*>("pnComment")) {
            dock->setVisible(on && core_.document().isOpen());
        }
    });
}

void TfrmMain::openOptions(int page) {
    TfrmOptions dialog(core_.ui(), core_.programDir(), &core_.dataPack(), this);
    OptionsValues current{core_.settings(), core_.desktop().isRunAtLogin(core_.executable())};
    auto edited = dialog.edit(current, static_cast<TfrmOptions::Page>(page));
    if (!edited) {
        return;
    }
    runCommand([&] { core_.applyOptions(edited->settings, edited->runAtLogin); });
    applySettings();
}

void TfrmMain::saveColumnWidths() {
    ColumnWidths widths = core_.settings().columnWidths;
    for (int c = 0; c < ZuBookTreeModel::kShownColumns; ++c) {
        widths[static_cast<std::size_t>(c)] = tree_->header()->sectionSize(c);
    }
    core_.settings().columnWidths = widths;
    runCommand([&] { core_.settingsStore().saveColumnWidths(widths); });
}

void TfrmMain::restorePlacement() {
    auto placement = FormPlacement(core_.placementFile()).read();
    if (!placement) {
        return;
    }
    const int ppi = screen() ? static_cast<int>(screen()->logicalDotsPerInch()) : 96;
    if (placement->positionAppliesAt(ppi)) {
        const PlacementRect& r = placement->normalPosition;
        setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    if (placement->showState() == ShowState::Maximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void TfrmMain::savePlacement(bool destroying) {
    WindowPlacement placement;
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.normalPosition = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    placement.showCmd = isMaximized()   ? WindowPlacement::kShowMaximised
                        : isMinimized() ? WindowPlacement::kShowMinimised
                                        : WindowPlacement::kShowNormal;
    placement.pixelsPerInch = screen() ? static_cast<int>(screen()->logicalDotsPerInch()) : 96;
    placement.visible = destroying;
    runCommand([&] { FormPlacement(core_.placementFile()).write(placement); });
}

void TfrmMain::resetWorkspace() {
    runCommand([this] {
        FormPlacement placement(core_.dataPack().dataDir() + "/ZuFormPos.ini");
        core_.settings().columnWidths = core_.settingsStore().resetWorkspace(placement);
    });
    resize(640, 480);
    if (QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    sideBar_->setCurrentIndex(0);
    applySettings();
}

Node* TfrmMain::focusedNode() const {
    return model_->nodeAt(tree_->currentIndex());
}

bool TfrmMain::editing() const {
    return tree_->isEditing();
}

void TfrmMain::followKey(const KeyOutcome& outcome) {
    if (outcome.focus) {
        tree_->selectionModel()->clearSelection();
        tree_->setCurrentIndex(model_->indexOf(outcome.focus));
    }
    if (outcome.open) {
        core_.shell().open(std::string(outcome.open->text(kColPath)));
    }
}

bool TfrmMain::treeKey(QKeyEvent* key) {
    ZuBookEditor& editor = core_.editor();
    const auto mods = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    const int digit = key->key() - Qt::Key_0;
    if (digit >= 1 && digit <= 9 && mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        editor.hotFolderBindKey(digit, editing());
        return true;
    }
    if (digit >= 1 && digit <= 9 && mods == Qt::ControlModifier) {
        if (editor.hotFolderMoveKey(digit)) {
            treeChanged();
        }
        return true;
    }
    if (mods != Qt::NoModifier || editing()) {
        return false;
    }
    QModelIndex current = tree_->currentIndex();
    switch (key->key()) {
        case Qt::Key_Right:
            followKey(editor.rightKey(focusedNode(), false));
            tree_->expand(current);
            return true;
        case Qt::Key_Left:
            followKey(editor.leftKey(focusedNode(), false));
            tree_->collapse(current);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (Node* node = focusedNode(); node && node->kind() != kKindFile) {
                tree_->setExpanded(current, !tree_->isExpanded(current));
            }
            followKey(editor.enterKey(focusedNode(), false));
            return true;
        case Qt::Key_Delete:
            action("aDelete")->trigger();
            return true;
        default:
            return false;
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        if (treeKey(static_cast<QKeyEvent*>(event))) {
            return true;
        }
    }
    if (watched == tree_->viewport() && event->type() == QEvent::ToolTip) {
        // The full text shows as a hint only when the cell cuts it off.
        auto* help = static_cast<QHelpEvent*>(event);
        QModelIndex cell = tree_->indexAt(help->pos());
        Node* node = model_->nodeAt(cell);
        const QString text = cell.data().toString();
        if (node &&
            cellNeedsHint(*node, cell.column(), tree_->fontMetrics().horizontalAdvance(text),
                          tree_->columnWidth(cell.column()))) {
            QToolTip::showText(help->globalPos(), text, tree_->viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (!tree_->indexAt(press->position().toPoint()).isValid()) {
            tree_->selectionModel()->clearSelection();
            core_.editor().TreeListMouseDown(nullptr);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::showContextMenu(const QPoint& at) {
    if (!contextMenu_) {
        contextMenu_ = new QMenu(this);
        contextMenu_->setObjectName("pmTreeList");
        auto* open = contextMenu_->addAction("Open");
        open->setObjectName("Open1");
        connect(open, &QAction::triggered, this,
                [this] { followKey(core_.editor().enterKey(focusedNode(), false)); });
        contextMenu_->addAction(action("aNewFolder"));
        contextMenu_->addSeparator();
        for (const char* name : {"aAddFolder", "aAddFiles", "aDelete"}) {
            contextMenu_->addAction(action(name));
        }
        contextMenu_->addSeparator();
        contextMenu_->addAction(action("aRename"));
        contextMenu_->addSeparator();
        contextMenu_->addAction(action("aLockFiles"));
        contextMenu_->addAction(action("aUnlockFiles"));
        contextMenu_->addSeparator();
        contextMenu_->addAction(action("aSetHotKey"));
        contextMenu_->addAction(action("aUnsetHotKey"));
        contextMenu_->addSeparator();
        QMenu* hot = contextMenu_->addMenu("\"Hot\" folders");
        hot->setObjectName("Hotfolders1");
        hot->addAction("Reset all hot folders", this, [this] { core_.hotFolders().emptyAll(); })
            ->setObjectName("Resetallhotfolders1");
        hot->addSeparator();
        for (int digit = 1; digit <= 9; ++digit) {
            hot->addAction(QString("Ctrl+%1").arg(digit), this,
                           [this, digit] {
                               core_.editor().hotFolderBindKey(digit, editing());
                               treeChanged();
                           })
                ->setObjectName(QString("HotFolder%1").arg(digit));
        }
        contextMenu_->addSeparator();
        contextMenu_->addAction("Share files")->setObjectName("Sharefiles1");
        contextMenu_->addAction(action("PlugIns1"));
    }
    const ContextMenuState state = core_.editor().pmTreeListPopup();
    action("aDelete")->setEnabled(state.deleteItem);
    action("aRename")->setEnabled(state.rename);
    action("aLockFiles")->setEnabled(state.lockFiles);
    action("aUnlockFiles")->setEnabled(state.unlockFiles);
    for (QAction* a : contextMenu_->actions()) {
        if (a->objectName() == "Sharefiles1") {
            a->setEnabled(false);  // sharing comes with its own page
        } else if (a->menu() && a->menu()->objectName() == "Hotfolders1") {
            a->setEnabled(state.hotFolders);
        }
    }
    contextMenu_->exec(tree_->viewport()->mapToGlobal(at));
    for (const char* name : {"aDelete", "aRename", "aLockFiles", "aUnlockFiles"}) {
        action(name)->setEnabled(true);
    }
}

void TfrmMain::beginUpdate() {
    tree_->setUpdatesEnabled(false);
}

void TfrmMain::endUpdate() {
    treeChanged();
    tree_->setUpdatesEnabled(true);
}

void TfrmMain::setBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

std::vector<Node*> TfrmMain::selectedNodes() const {
    return core_.tree().selection();
}

// Only siblings are selected together: what the view selects beyond the first node's
// parent is taken back.
void TfrmMain::syncSelectionToTree() {
    ZuTree& tree = core_.tree();
    tree.clearSelection();
    QModelIndexList rows = tree_->selectionModel()->selectedRows();
    QItemSelection refused;
    for (const QModelIndex& row : rows) {
        if (!tree.select(model_->nodeAt(row))) {
            refused.select(row, row.siblingAtColumn(ZuBookTreeModel::kShownColumns - 1));
        }
    }
    if (!refused.isEmpty()) {
        QSignalBlocker block(tree_->selectionModel());
        tree_->selectionModel()->select(refused, QItemSelectionModel::Deselect);
    }
}

void TfrmMain::showComment() {
    Node* node = model_->nodeAt(tree_->currentIndex());
    comment_->setPlainText(node ? qs(node->text(kColComment)) : QString());
}

void TfrmMain::treeChanged() {
    core_.tree().clearSelection();
    model_->reload();
    restoreExpansion({});
}

void TfrmMain::restoreExpansion(const QModelIndex& parent) {
    const int rows = model_->rowCount(parent);
    for (int r = 0; r < rows; ++r) {
        QModelIndex child = model_->index(r, 0, parent);
        Node* node = model_->nodeAt(child);
        if (node->isExpanded()) {
            tree_->setExpanded(child, true);
            restoreExpansion(child);
        }
    }
}

void TfrmMain::setUpPages(const std::vector<std::string>& tabCaptions) {
    for (int i = 0; i < tabs_->count() && i < static_cast<int>(tabCaptions.size()); ++i) {
        if (!tabCaptions[static_cast<std::size_t>(i)].empty()) {
            tabs_->setTabText(i, qs(tabCaptions[static_cast<std::size_t>(i)]));
        }
    }
    zuBookPartsShown(false);
    tree_->setColumnHidden(kColLock, true);
    tree_->setColumnHidden(kColKind, true);
    tabs_->setCurrentIndex(0);
    if (auto picture = core_.dataPack().loadPicture("ZuBook.jpg")) {
        QImage image(picture->rgb.data(), picture->width, picture->height, 3 * picture->width,
                     QImage::Format_RGB888);
        pagePicture_->setPixmap(QPixmap::fromImage(image.copy()));
    }
}

void TfrmMain::applySettings() {
    const Settings& settings = core_.settings();
    tray_->setVisible(settings.showTrayIcon && QSystemTrayIcon::isSystemTrayAvailable());
    for (int c = 0; c < ZuBookTreeModel::kShownColumns; ++c) {
        tree_->setColumnWidth(c, settings.columnWidths[static_cast<std::size_t>(c)]);
    }
    action("Showcoments1")->setChecked(settings.showComments);
}

void TfrmMain::showProgram() {
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void TfrmMain::hideProgram() {
    hide();
}

void TfrmMain::toggleProgram() {
    if (isVisible()) {
        hideProgram();
    } else {
        showProgram();
    }
}

void TfrmMain::exitProgram() {
    if (!core_.mayReplaceZuBook()) {
        // A scan is filling the tree: stop it, and exit once it has returned.
        core_.busy().requestStop();
        QTimer::singleShot(50, this, [this] { exitProgram(); });
        return;
    }
    exiting_ = true;
    savePlacement(true);
    core_.document().close();
    qApp->quit();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!exiting_ && core_.settings().closeAsMin) {
        hideProgram();
        event->ignore();
        return;
    }
    exiting_ = true;
    savePlacement(false);
    core_.document().close();
    event->accept();
    qApp->quit();
}

// The link-comment panel floats near the bottom right corner of the screen.
void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!placementRestored_) {
        placementRestored_ = true;
        restorePlacement();
    }
    runCommand([this] { applyCaptions(core_.dataPack(), *this, "MainForm.qrf"); });
    auto* dock = findChild<QDockWidget*>("pnComment");
    QScreen* screen = this->screen();
    if (!dock || !screen) {
        return;
    }
    const QRect s = screen->geometry();
    dock->setFloating(true);
    dock->setGeometry(
        QRect(QPoint(s.width() - 300, s.height() - 200), QPoint(s.width() - 50, s.height() - 100)));
    dock->setVisible(core_.settings().showComments && core_.document().isOpen());
}

void TfrmMain::captionChanged(std::string_view caption) {
    setWindowTitle(qs(caption));
}

void TfrmMain::zuBookPartsShown(bool shown) {
    for (QMenu* menu : zuBookMenus_) {
        menu->menuAction()->setVisible(shown);
        menu->setEnabled(shown);
    }
    action("SaveZuBook1")->setEnabled(shown);
    action("SaveAs1")->setEnabled(shown);
    sideBar_->setVisible(shown);
    tabs_->setVisible(shown);
}

void TfrmMain::zuBookClosing() {
    model_->reload();
    tabs_->setCurrentIndex(0);
}

void TfrmMain::zuBookLoaded() {
    treeChanged();
    QModelIndex first = model_->index(0, 0);
    if (first.isValid()) {
        tree_->setCurrentIndex(first);
        showComment();
    }
}

void TfrmMain::summaryChanged(const SummaryCounts& counts) {
    auto line = [this](int n) { return qs(core_.dataPack().message(kAskTable, n)); };
    try {
        summary_->setText(QString("%1%2    %3%4    %5%6    %7%8")
                              .arg(line(25), qs(core_.document().currentPath()), line(26))
                              .arg(counts.zuFolders)
                              .arg(line(27))
                              .arg(counts.folders)
                              .arg(line(28))
                              .arg(counts.files));
    } catch (const Error&) {
        summary_->clear();  // a data pack without the lines: no summary
    }
}

}  // namespace tarnu
