#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDockWidget>
#include <QFileInfo>
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
#include "app/catalog_page.h"
#include "app/hotkey_dialog.h"
#include "app/options_dialog.h"
#include "app/plugin_dialogs.h"
#include "app/plugin_menu.h"
#include "app/qt_text.h"
#include "app/widget_captions.h"
#include "common/error.h"
#include "document/form_placement.h"
#include "document/messages.h"
#include "plugins/summary_panel.h"

namespace tarnu {

namespace {

constexpr int kRetryMs = 50;

// Ctrl+Shift+digit: X11 reports the shifted symbol ("!" for 1), so the digit comes from the
// key's position when the symbol is not one: the digit row's scan codes, or the symbols that
// the common layouts put over the digits.
int digitOfKey(const QKeyEvent& key) {
    if (key.key() >= Qt::Key_1 && key.key() <= Qt::Key_9) {
        return key.key() - Qt::Key_0;
    }
    constexpr quint32 kFirstDigitScanCode = 10;  // X11 keycode of "1" on PC keyboards
    const quint32 scan = key.nativeScanCode();
    if (scan >= kFirstDigitScanCode && scan < kFirstDigitScanCode + 9) {
        return static_cast<int>(scan - kFirstDigitScanCode) + 1;
    }
    static const QString kShiftedDigits = QStringLiteral("!@#$%^&*(");
    const QString text = key.text();
    if (text.size() == 1) {
        const auto at = kShiftedDigits.indexOf(text.front());
        if (at >= 0) {
            return static_cast<int>(at) + 1;
        }
    }
    static const int kShiftedKeys[] = {Qt::Key_Exclam,    Qt::Key_At,       Qt::Key_NumberSign,
                                       Qt::Key_Dollar,    Qt::Key_Percent,  Qt::Key_AsciiCircum,
                                       Qt::Key_Ampersand, Qt::Key_Asterisk, Qt::Key_ParenLeft};
    for (int i = 0; i < 9; ++i) {
        if (key.key() == kShiftedKeys[i]) {
            return i + 1;
        }
    }
    return 0;
}

}  // namespace

TfrmMain::TfrmMain(TarnuCore& core, QtIcons& icons) : core_(core), icons_(icons) {
    setObjectName("frmMain");
    setWindowTitle("Tarnu");
    setWindowIcon(QIcon::fromTheme("bookmarks", style()->standardIcon(QStyle::SP_DirIcon)));
    resize(900, 600);
    createActions();
    createMenus();
    createContextMenu();
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(createSideBar());
    tabs_ = new QTabWidget(central);
    tabs_->setObjectName("Tab");
    tabs_->addTab(createZuBookPage(), "ZuBook");
    sharedPage_ = new SharedFilesPage(core_, icons_, tabs_);
    transferPage_ = new DataTransferPage(core_, icons_, tabs_);
    tabs_->addTab(sharedPage_, "ZuShared files");
    tabs_->addTab(transferPage_, "ZuData transfer");
    sideGroups_->add(sharedPage_->sideBarGroup(), "ZuShared files");
    sideGroups_->add(transferPage_->sideBarGroup(), "ZuData transfer");
    sharedPage_->onTabCaption = [this](const QString& text) {
        tabs_->setTabText(tabs_->indexOf(sharedPage_), text);
    };
    transferPage_->onTabCaption = [this](const QString& text) {
        tabs_->setTabText(tabs_->indexOf(transferPage_), text);
    };
    connect(tabs_, &QTabWidget::currentChanged, this, &TfrmMain::tabChanged);
    connect(actions_.ftpList, &QAction::triggered, this, [this] { toggleFtpList(); });
    connect(context_.shareFiles, &QAction::triggered, this,
            [this] { runCommand([this] { sharedPage_->shareSelectedFiles(); }); });
    layout->addWidget(tabs_, 1);
    catalogPage_ = new CatalogPage(core_.cdCatalog(), core_.ui(), tabs_);
    catalogPage_->hide();
    catalogPage_->attach(tabs_, sideBar_, actions_.cdCatalog);
    setCentralWidget(central);
    createStatusBar();
    tabChanged(tabs_->currentIndex());
    createTray();
    connectCommands();
    connectTree();
    core_.setListener(this);
    core_.plugIns().setFocusSource([this] { return focusedNode(); });
    core_.attachView(this);
    core_.onToggleVisibility = [this] { toggleProgram(); };
    core_.setAddOptionsDialog([this](AddOptionsCopy& copy, Settings& settings) {
        TfrmAddOpt dialog(&core_.dataPack(), this);
        applyWindowCaption(dialog, AuxWindow::AddOptions);
        return dialog.run(copy, settings);
    });
    core_.setHotKeyDialog([this](std::uint32_t initial, const HotKeyCommands::SetFunction& set) {
        TfrmHotKey dialog(core_.keyText(), &core_.dataPack(), this);
        applyWindowCaption(dialog, AuxWindow::HotKey);
        dialog.run(initial, set);
    });
    core_.comments().onShownChanged = [this] {
        const QSignalBlocker quiet(comment_);
        comment_->setPlainText(qs(core_.comments().text()));
    };
}

TfrmMain::~TfrmMain() {
    core_.attachView(nullptr);
    core_.setAddOptionsDialog(nullptr);
    core_.setHotKeyDialog(nullptr);
    core_.comments().onShownChanged = nullptr;
    core_.setListener(nullptr);
    core_.onToggleVisibility = nullptr;
}

QAction* TfrmMain::makeAction(const char* name, const QString& text, const QKeySequence& shortcut) {
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
    }
    return a;
}

void TfrmMain::createActions() {
    MainActions& a = actions_;
    a.newZuBook = makeAction("NewZuBook1", "&New ZuBook");
    a.loadZuBook = makeAction("LoadZuBook1", "&Load ZuBook...", QKeySequence("Ctrl+O"));
    a.saveZuBook = makeAction("SaveZuBook1", "&Save ZuBook", QKeySequence("Ctrl+S"));
    a.saveAs = makeAction("SaveAs1", "Save &As...");
    a.close = makeAction("Close1", "&Close");
    a.close->setVisible(false);
    a.exit = makeAction("aExit", "E&xit");
    a.newFolder = makeAction("aNewFolder", "&New ZuFolder", QKeySequence("Ctrl+N"));
    a.addFolder = makeAction("aAddFolder", "Add f&older...");
    a.addFiles = makeAction("aAddFiles", "&Add files...", QKeySequence("Ctrl+B"));
    a.deleteNodes = makeAction("aDelete", "&Delete");
    a.rename = makeAction("aRename", "&Rename...");
    a.lockFiles = makeAction("aLockFiles", "&Lock files");
    a.unlockFiles = makeAction("aUnlockFiles", "&Unlock files");
    a.setHotKey = makeAction("aSetHotKey", "&Set hotkey...");
    a.unsetHotKey = makeAction("aUnsetHotKey", "&Delete hotkey");
    a.checkLinks = makeAction("aCheckLinks", "&Check links");
    a.find = makeAction("Find1", "&Find...", QKeySequence("Ctrl+F"));
    a.plugIns = makeAction("PlugIns1", "&Plug-Ins...");
    a.expandSelection = makeAction("Expandselection1", "&Expand selection");
    a.hotFoldersManage = makeAction("Hotfoldersmanage1", "\"&Hot\" folders manage");
    a.cdCatalog = makeAction("CDcatalog1", "C&D catalog");
    a.cdCatalog->setCheckable(true);
    a.ftpList = makeAction("FTPlist1", "FTP l&ist");
    a.ftpList->setCheckable(true);
    a.synchronize = makeAction("Synchronize1", "S&ynchronize");
    a.addToFavorite = makeAction("AddZuBooktofavorite1", "Add ZuBook to f&avorite");
    a.fullExpand = makeAction("Fullexpand1", "F&ull expand");
    a.fullCollapse = makeAction("Fullcollapse1", "Full c&ollapse");
    a.showComments = makeAction("Showcoments1", "Show co&ments");
    a.showComments->setCheckable(true);
    a.general = makeAction("General1", "&General...", QKeySequence("Ctrl+F10"));
    a.filesFolders = makeAction("FilesFolders1", "&Files && Folders...");
    a.resetWorkspace = makeAction("Resetworkspace1", "&Reset workspace");
    a.help = makeAction("TarnuHelp1", "Tarnu &Help", QKeySequence("F1"));
    a.about = makeAction("About1", "&About...");
    a.showProgram = makeAction("ShowTarnu", "Show Tarnu");
    a.hideProgram = makeAction("HideTarnu", "Hide Tarnu");
}

void TfrmMain::createMenus() {
    using Items = std::initializer_list<QAction*>;
    auto addMenu = [this](const char* name, const QString& title, Items items) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(name);
        for (QAction* item : items) {
            if (item == nullptr) {
                menu->addSeparator();
            } else {
                menu->addAction(item);
            }
        }
        return menu;
    };
    const MainActions& a = actions_;
    addMenu("File1", "&File",
            {a.newZuBook, a.loadZuBook, a.saveZuBook, a.saveAs, a.close, nullptr, a.exit});
    zuBookMenus_.push_back(
        addMenu("Folders1", "F&olders",
                {a.newFolder, a.addFolder, a.addFiles, nullptr, a.deleteNodes, a.rename}));
    zuBookMenus_.push_back(addMenu(
        "Links1", "&Links",
        {a.lockFiles, a.unlockFiles, nullptr, a.setHotKey, a.unsetHotKey, nullptr, a.checkLinks}));
    zuBookMenus_.push_back(
        addMenu("Tools1", "&Tools",
                {a.find, a.plugIns, a.expandSelection, a.hotFoldersManage, nullptr, a.cdCatalog,
                 a.ftpList, a.synchronize, nullptr, a.addToFavorite, nullptr, a.fullExpand,
                 a.fullCollapse, a.showComments}));
    addMenu("Options1", "O&ptions", {a.general, a.filesFolders, nullptr, a.resetWorkspace});
    addMenu("Help1", "&Help", {a.help, nullptr, a.about});
}

void TfrmMain::createContextMenu() {
    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName("pmTreeList");
    auto item = [this](const char* name, QAction* like) {
        auto* copy = contextMenu_->addAction(like ? like->text() : QString());
        copy->setObjectName(name);
        if (like) {
            // Same command as the menu bar's item; only the enabled state is the menu's own.
            connect(copy, &QAction::triggered, like, &QAction::trigger);
        }
        return copy;
    };
    const MainActions& a = actions_;
    context_.open = item("Open1", nullptr);
    context_.open->setText("Open");
    contextMenu_->addAction(a.newFolder);
    contextMenu_->addSeparator();
    contextMenu_->addAction(a.addFolder);
    contextMenu_->addAction(a.addFiles);
    context_.deleteNodes = item("Delete1", a.deleteNodes);
    contextMenu_->addSeparator();
    context_.rename = item("Rename1", a.rename);
    contextMenu_->addSeparator();
    context_.lockFiles = item("Lockfiles1", a.lockFiles);
    context_.unlockFiles = item("Unlockfiles1", a.unlockFiles);
    contextMenu_->addSeparator();
    context_.setHotKey = item("Sethotkey1", a.setHotKey);
    context_.unsetHotKey = item("Deletehotkey1", a.unsetHotKey);
    contextMenu_->addSeparator();
    context_.hotFolders = contextMenu_->addMenu("\"Hot\" folders");
    context_.hotFolders->setObjectName("Hotfolders1");
    context_.hotFolders
        ->addAction("Reset all hot folders", this,
                    [this] { runCommand([this] { core_.resetHotFolders(); }); })
        ->setObjectName("Resetallhotfolders1");
    context_.hotFolders->addSeparator();
    for (int digit = 1; digit <= 9; ++digit) {
        context_.hotFolders
            ->addAction(QString("Ctrl+%1").arg(digit), this,
                        [this, digit] {
                            runCommand([this, digit] { core_.bindHotFolder(digit, editing()); });
                        })
            ->setObjectName(QString("HotFolder%1").arg(digit));
    }
    contextMenu_->addSeparator();
    context_.shareFiles = item("Sharefiles1", nullptr);
    context_.shareFiles->setText("Share files");
    contextMenu_->addAction(a.plugIns);
    fixedContextItems_ = contextMenu_->actions().size();
}

QWidget* TfrmMain::createSideBar() {
    sideBar_ = new QToolBox(this);
    sideBar_->setObjectName("SideBar");
    sideBar_->setMinimumWidth(150);
    sideBar_->setMaximumWidth(190);
    sideGroups_ = std::make_unique<SideBarGroups>(*sideBar_);
    auto addGroup = [this](const char* name, const QString& title,
                           std::initializer_list<QAction*> items) {
        auto* page = new QWidget(sideBar_);
        page->setObjectName(name);
        auto* column = new QVBoxLayout(page);
        column->setSpacing(2);
        for (QAction* item : items) {
            auto* button = new QToolButton(page);
            button->setDefaultAction(item);
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            column->addWidget(button);
        }
        column->addStretch();
        sideGroups_->add(page, title);
    };
    const MainActions& a = actions_;
    addGroup("gFolders", "Folders",
             {a.newFolder, a.addFiles, a.deleteNodes, a.rename, a.addFolder});
    addGroup("gLinks", "Links",
             {a.lockFiles, a.unlockFiles, a.setHotKey, a.unsetHotKey, a.checkLinks});
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
    fileInfo_ = new FileInfoPanel(page);
    column->addWidget(fileInfo_);

    commentPanel_ = new QDockWidget("Link comment", this);
    commentPanel_->setObjectName("pnComment");
    comment_ = new QPlainTextEdit(commentPanel_);
    comment_->setObjectName("mmComment");
    comment_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(comment_, &QPlainTextEdit::textChanged, this,
            [this] { core_.comments().edited(utf8(comment_->toPlainText())); });
    commentPanel_->setWidget(comment_);
    addDockWidget(Qt::BottomDockWidgetArea, commentPanel_);
    commentPanel_->hide();
    return page;
}

void TfrmMain::createStatusBar() {
    const int widths[] = {200, 300, 0};
    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new QLabel(this);
        statusPanels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
        statusPanels_[i]->setTextFormat(Qt::PlainText);  // paths are never markup
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
    menu->addAction(actions_.showProgram);
    menu->addAction(actions_.hideProgram);
    menu->addSeparator();
    menu->addAction(actions_.exit);
    tray_->setContextMenu(menu);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](auto reason) {
        if (reason == QSystemTrayIcon::DoubleClick) {
            toggleProgram();
        }
    });
}

void TfrmMain::runCommand(const std::function<void()>& command) {
    if (commandRunning_) {
        // A dialog of the running command spins the event loop: this one waits its turn.
        QTimer::singleShot(kRetryMs, this, [this, command] { runCommand(command); });
        return;
    }
    commandRunning_ = true;
    try {
        command();
    } catch (const Error& e) {
        core_.ui().showError(e.what());
    }
    commandRunning_ = false;
    model_->sortPending();
    showSelectionFromTree();
    updateActions();
}

void TfrmMain::onTriggered(QAction* action, std::function<void()> command) {
    connect(action, &QAction::triggered, this,
            [this, command = std::move(command)] { runCommand(command); });
}

void TfrmMain::connectCommands() {
    const MainActions& a = actions_;
    connectLinkCommands();
    onTriggered(a.newZuBook, [this] { core_.newZuBook(); });
    onTriggered(a.loadZuBook, [this] { core_.loadZuBook(); });
    onTriggered(a.saveZuBook, [this] { core_.saveZuBook(); });
    onTriggered(a.saveAs, [this] { core_.saveZuBookAs(); });
    connect(a.exit, &QAction::triggered, this, [this] { exitProgram(); });
    connect(a.showProgram, &QAction::triggered, this, [this] { showProgram(); });
    connect(a.hideProgram, &QAction::triggered, this, [this] { hideProgram(); });
    onTriggered(a.checkLinks, [this] { core_.checkLinks(); });
    onTriggered(a.lockFiles, [this] { core_.lockSelection(); });
    onTriggered(a.unlockFiles, [this] { core_.unlockSelection(); });
    onTriggered(a.newFolder, [this] { core_.newFolder(); });
    onTriggered(a.addFiles, [this] { core_.addFiles(); });
    onTriggered(a.addFolder, [this] { core_.addFolder(); });
    onTriggered(a.deleteNodes, [this] { core_.deleteSelection(focusedNode(), editing()); });
    onTriggered(a.rename, [this] { core_.rename(focusedNode()); });
    onTriggered(a.fullExpand, [this] {
        core_.fullExpand();
        restoreExpansion({});
    });
    onTriggered(a.fullCollapse, [this] {
        core_.fullCollapse();
        tree_->collapseAll();
    });
    onTriggered(context_.open, [this] { core_.openItem(focusedNode()); });
    onTriggered(a.setHotKey, [this] { core_.setHotKey(focusedNode()); });
    onTriggered(a.unsetHotKey, [this] { core_.unsetHotKey(focusedNode()); });
    if (auto* tools = menuBar()->findChild<QMenu*>("Tools1")) {
        // Other pages hide the panel without unticking it.
        connect(tools, &QMenu::aboutToShow, this, [this] {
            if (tabs_->currentIndex() == 0) {
                actions_.showComments->setChecked(commentPanel_->isVisible());
            }
        });
    }
    onTriggered(a.plugIns, [this] {
        TfrmPlugIns manager(core_.plugIns(), core_.ui(), &core_.dataPack(), this);
        manager.exec();
    });
    connect(a.general, &QAction::triggered, this, [this] { openOptions(0); });
    connect(a.filesFolders, &QAction::triggered, this, [this] { openOptions(1); });
    connect(a.resetWorkspace, &QAction::triggered, this, [this] { resetWorkspace(); });
    connect(a.about, &QAction::triggered, this, [this] {
        TfrmAbout about(&core_.dataPack(), this);
        applyWindowCaption(about, AuxWindow::About);
        about.exec();
    });
    connect(a.help, &QAction::triggered, this, [this] { openHelp(); });
    // The item shows and hides the panel for now; the setting stays as the options have it.
    connect(a.showComments, &QAction::triggered, this,
            [this](bool on) { commentPanel_->setVisible(on && core_.document().isOpen()); });
}

void TfrmMain::connectTree() {
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
    connect(
        model_, &ZuBookTreeModel::expansionRequested, tree_,
        [this](const QModelIndex& index, bool expanded) { tree_->setExpanded(index, expanded); });
    connect(tree_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        syncSelectionToTree();
        showComment();
    });
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { showComment(); });
    tree_->setExpandsOnDoubleClick(false);
    connect(tree_, &QAbstractItemView::doubleClicked, this,
            [this] { runCommand([this] { core_.doubleClick(focusedNode()); }); });
    model_->editText = [this](const Node& node) { return qs(core_.captionForEditing(node)); };
    model_->onCaptionEdited = [this](Node* node, const QString& text) {
        runCommand([&] { core_.renameInPlace(node, utf8(text)); });
    };
    tree_->canDropOn = [this](const Node* target) { return core_.canDrop(target, focusedNode()); };
    tree_->dropOn = [this](Node* target) {
        // After the drag has ended: the view still walks its rows until then.
        const QPersistentModelIndex where(model_->indexOf(target));
        QTimer::singleShot(0, this, [this, where, onto = target != nullptr] {
            if (onto && !where.isValid()) {
                return;  // the target went meanwhile
            }
            runCommand([this, where] { core_.dropSelectionOnto(model_->nodeAt(where)); });
        });
    };
    connect(tree_, &QWidget::customContextMenuRequested, this, &TfrmMain::showContextMenu);
}

void TfrmMain::openOptions(int page) {
    TfrmOptions dialog(core_.ui(), core_.programDir(), &core_.dataPack(), this);
    applyWindowCaption(dialog, AuxWindow::Options);
    OptionsValues current{core_.settings(), core_.isRunAtLogin()};
    auto edited = dialog.edit(current, static_cast<TfrmOptions::Page>(page));
    if (!edited) {
        return;
    }
    runCommand([&] { core_.applyOptions(edited->settings, edited->runAtLogin); });
    applySettings();
}

void TfrmMain::openHelp() {
    const QString guide = qs(core_.programFilesDir()) + "/help/index.html";
    if (!QFileInfo::exists(guide)) {
        core_.ui().showMessage("The help is not installed: " + utf8(guide) + " is missing.");
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(guide))) {
        core_.ui().showMessage("No program could open the help: " + utf8(guide));
    }
}

void TfrmMain::saveColumnWidths() {
    ColumnWidths widths = core_.settings().columnWidths;
    for (int c = 0; c < ZuBookTreeModel::kShownColumns; ++c) {
        if (!tree_->isColumnHidden(c)) {
            widths[static_cast<std::size_t>(c)] = tree_->header()->sectionSize(c);
        }
    }
    runCommand([&] { core_.saveColumnWidths(widths); });
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
    runCommand([this] { core_.resetWorkspace(); });
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
        core_.openLink(*outcome.open);
    }
}

bool TfrmMain::treeKey(QKeyEvent* key) {
    const auto mods = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    const int digit = mods.testFlag(Qt::ControlModifier) ? digitOfKey(*key) : 0;
    if (digit != 0 && mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        runCommand([this, digit] { core_.bindHotFolder(digit, editing()); });
        return true;
    }
    if (digit != 0 && mods == Qt::ControlModifier) {
        runCommand([this, digit] { core_.moveToHotFolder(digit); });
        return true;
    }
    if (mods != Qt::NoModifier || editing()) {
        return false;
    }
    switch (key->key()) {
        case Qt::Key_Right:
            runCommand([this] { followKey(core_.rightKey(focusedNode())); });
            return true;
        case Qt::Key_Left:
            runCommand([this] { followKey(core_.leftKey(focusedNode())); });
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            runCommand([this] { followKey(core_.enterKey(focusedNode())); });
            return true;
        case Qt::Key_Delete:
            actions_.deleteNodes->trigger();
            return true;
        case Qt::Key_Plus:
            if (!key->modifiers().testFlag(Qt::KeypadModifier)) {
                return false;
            }
            actions_.expandSelection->trigger();
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
    if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const bool left = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        runCommand([this, left] {
            fileInfo_->show(core_.fileInfo().buttonReleased(focusedNode(), left));
        });
    }
    if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (!tree_->indexAt(press->position().toPoint()).isValid()) {
            tree_->selectionModel()->clearSelection();
            core_.pressedAt(nullptr);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::prepareContextMenu() {
    const ContextMenuState state = core_.contextMenuState();
    context_.deleteNodes->setEnabled(state.deleteItem);
    context_.rename->setEnabled(state.rename);
    context_.lockFiles->setEnabled(state.lockFiles);
    context_.unlockFiles->setEnabled(state.unlockFiles);
    // Hot keys come with their own window.
    context_.setHotKey->setEnabled(state.setHotKey && actions_.setHotKey->isEnabled());
    context_.unsetHotKey->setEnabled(state.deleteHotKey && actions_.unsetHotKey->isEnabled());
    context_.shareFiles->setEnabled(core_.tree().selectionCount() > 0);
    context_.hotFolders->setEnabled(state.hotFolders);
    for (auto [copy, like] : {std::pair{context_.deleteNodes, actions_.deleteNodes},
                              {context_.rename, actions_.rename},
                              {context_.lockFiles, actions_.lockFiles},
                              {context_.unlockFiles, actions_.unlockFiles},
                              {context_.setHotKey, actions_.setHotKey},
                              {context_.unsetHotKey, actions_.unsetHotKey}}) {
        copy->setText(like->text());  // caption lists rename the menu bar's items
    }
}

void TfrmMain::showContextMenu(const QPoint& at) {
    prepareContextMenu();
    fillPlugInActions(*contextMenu_, fixedContextItems_, core_.plugIns(),
                      [this] { return focusedNode(); });
    contextMenu_->exec(tree_->viewport()->mapToGlobal(at));
}

// One place decides which commands are available, from the core's state.
void TfrmMain::updateActions() {
    const bool open = zuBookShown_;
    const MainActions& a = actions_;
    a.saveZuBook->setEnabled(open);
    a.saveAs->setEnabled(open);
    for (QAction* zuBook : {a.find, a.expandSelection, a.hotFoldersManage, a.synchronize}) {
        zuBook->setEnabled(open);
    }
    for (QMenu* menu : zuBookMenus_) {
        menu->menuAction()->setVisible(open);
        menu->setEnabled(open);
    }
    sideBar_->setVisible(open);
    tabs_->setVisible(open);
}

void TfrmMain::toggleFtpList() {
    if (ftpList_) {
        tabs_->setCurrentIndex(0);
        tabs_->removeTab(tabs_->indexOf(ftpList_));
        QWidget* group = ftpList_->sideBarGroup();
        sideGroups_->remove(group);
        delete group;
        delete ftpList_;
    } else {
        ftpList_ = new TfrmFTPList(core_.userDataDir() + "/" + std::string(kFtpListFile),
                                   core_.ui(), core_.shell(), &core_.dataPack(), tabs_);
        sideGroups_->add(ftpList_->sideBarGroup(), "FTP list");
        tabs_->setCurrentIndex(tabs_->addTab(ftpList_, "FTP list"));
    }
    actions_.ftpList->setChecked(ftpList_ != nullptr);
}

void TfrmMain::beginUpdate() {
    tree_->setUpdatesEnabled(false);
}

void TfrmMain::endUpdate() {
    tree_->setUpdatesEnabled(true);
}

void TfrmMain::setBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TfrmMain::reveal(const Node& node) {
    model_->sortPending();
    for (const Node* up = node.parent(); up; up = up->parent()) {
        core_.tree().setExpanded(const_cast<Node*>(up), true);
    }
    tree_->scrollTo(model_->indexOf(&node));
}

// Only siblings are selected together: what the view selects beyond the first node's
// parent is taken back.
void TfrmMain::syncSelectionToTree() {
    if (showingSelection_) {
        return;
    }
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
        tree_->viewport()->update();
    }
}

// After a command the core's selection is the truth; the view shows it.
void TfrmMain::showSelectionFromTree() {
    QItemSelection wanted;
    for (Node* node : core_.tree().selection()) {
        const QModelIndex first = model_->indexOf(node);
        wanted.select(first, first.siblingAtColumn(ZuBookTreeModel::kShownColumns - 1));
    }
    showingSelection_ = true;
    tree_->selectionModel()->select(wanted, QItemSelectionModel::ClearAndSelect);
    showingSelection_ = false;
}

// TreeListChangeNode: the panel's text goes to the node it belongs to.
void TfrmMain::showComment() {
    if (!showingSelection_) {
        core_.comments().focusChanged(focusedNode());
    }
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

void TfrmMain::readWindowCaptions() {
    struct Collect final : WindowCaptionTarget {
        std::map<AuxWindow, QString>& captions;
        explicit Collect(std::map<AuxWindow, QString>& c) : captions(c) {}
        void setWindowCaption(AuxWindow window, std::string_view caption) override {
            captions[window] = qs(caption);
        }
    } collect(windowCaptions_);
    runCommand([&] { core_.dataPack().applyWindowCaptions(collect); });
}

void TfrmMain::applyWindowCaption(QWidget& dialog, AuxWindow window) const {
    if (auto caption = windowCaptions_.find(window); caption != windowCaptions_.end()) {
        dialog.setWindowTitle(caption->second);
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
    tabChanged(0);
    tree_->setFocus(Qt::OtherFocusReason);  // the keys work on the tree from the start
    if (auto picture = core_.dataPack().loadPicture("ZuBook.jpg")) {
        QImage image(picture->rgb.data(), picture->width, picture->height, 3 * picture->width,
                     QImage::Format_RGB888);
        pagePicture_->setPixmap(QPixmap::fromImage(image.copy()));
    }
    readWindowCaptions();
}

void TfrmMain::applySettings() {
    const Settings& settings = core_.settings();
    tray_->setVisible(settings.showTrayIcon && QSystemTrayIcon::isSystemTrayAvailable());
    for (int c = 0; c < ZuBookTreeModel::kShownColumns; ++c) {
        tree_->setColumnWidth(c, settings.columnWidths[static_cast<std::size_t>(c)]);
    }
    showFavourites();
    updateActions();
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

void TfrmMain::exitProgram(bool interactive) {
    if (exiting_) {
        return;
    }
    if (core_.isBusy() || commandRunning_) {
        // A scan or a dialog holds the tree: stop the scan, and exit once it has returned.
        // A session that ends does not wait for an answer.
        core_.requestStop();
        if (!interactive) {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                dialog->reject();
            }
        }
        QTimer::singleShot(kRetryMs, this, [this, interactive] { exitProgram(interactive); });
        return;
    }
    if (interactive) {
        // The question and a save it asks for run the event loop: other commands wait.
        commandRunning_ = true;
        const bool mayGo = core_.confirmCloseZuBook();
        commandRunning_ = false;
        if (!mayGo) {
            return;
        }
    }
    endProgram();
}

// The steps every way out takes once it is decided: the placement as at a close and as when
// the window goes, the column widths, and the ZuBook closed.
void TfrmMain::endProgram() {
    exiting_ = true;
    savePlacement(false);
    saveColumnWidths();
    savePlacement(true);
    core_.shutdown();
    qApp->quit();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (exiting_) {
        event->accept();  // quitting closes every window first
        return;
    }
    event->ignore();
    if (!exiting_ && core_.settings().closeAsMin) {
        hideProgram();
        return;
    }
    exitProgram();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!placementRestored_) {
        placementRestored_ = true;
        restorePlacement();
    }
    runCommand([this] { applyCaptions(core_.dataPack(), *this, "MainForm.qrf"); });
    placeCommentPanel();
}

void TfrmMain::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    // The floating comment panel belongs to the window: it goes and comes back with it.
    if (!event->spontaneous()) {
        commentPanel_->hide();
    }
}

// The link-comment panel floats near the bottom right corner of the screen.
void TfrmMain::placeCommentPanel() {
    QScreen* screen = this->screen();
    if (!screen) {
        return;
    }
    const QRect s = screen->geometry();
    commentPanel_->setFloating(true);
    commentPanel_->setGeometry(
        QRect(QPoint(s.width() - 300, s.height() - 200), QPoint(s.width() - 50, s.height() - 100)));
    commentPanel_->setVisible(core_.settings().showComments && core_.document().isOpen());
    actions_.showComments->setChecked(true);
}

void TfrmMain::captionChanged(std::string_view caption) {
    setWindowTitle(qs(caption));
}

void TfrmMain::zuBookPartsShown(bool shown) {
    zuBookShown_ = shown;
    updateActions();
}

void TfrmMain::zuBookClosing() {
    tabs_->setCurrentIndex(0);
}

void TfrmMain::zuBookLoaded() {
    restoreExpansion({});
    QModelIndex first = model_->index(0, 0);
    if (first.isValid()) {
        tree_->setCurrentIndex(first);
        showComment();
    }
    if (core_.settings().showComments && isVisible()) {
        placeCommentPanel();
    }
}

void TfrmMain::summaryChanged(const SummaryCounts& counts) {
    try {
        const SummaryTexts texts =
            summaryTexts(counts, core_.document().currentPath(), core_.dataPack());
        summary_->setText(qs(texts.zuBook + "\n" + texts.counts));
    } catch (const Error&) {
        summary_->clear();  // a data pack without the lines: no summary
    }
}

}  // namespace tarnu
