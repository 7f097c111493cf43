#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QToolBox>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <set>

#include "app/catalog_page.h"
#include "app/search_dialog.h"
#include "app/widget_captions.h"
#include "document/form_placement.h"
#include "sharing/ftp_list.h"
#include "support/fake_hot_keys.h"
#include "support/fakes.h"
#include "support/program_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

// Lets a test act in the middle of a folder scan, as a user clicking meanwhile would.
class ScriptedPump : public EventPump {
public:
    std::function<void()> once;
    void processPendingEvents() override {
        if (auto action = std::exchange(once, nullptr)) {
            action();
        }
    }
};

// The real main window over a core whose ports are stand-ins, on the offscreen platform.
// Every test runs under a model tester that aborts on any broken model contract.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        testing::writeProgramDir(dir, "Alpha\n  Inner\nBeta\n  Second\n",
                                 {{"MainForm.qrf", "aNewFolder\nNew virtual folder\n"}});
        window.setUpPages(core.createMainWindowSteps());
        core.settingsCommandLineAndFirstZuBook({});
        window.applySettings();
        tester = std::make_unique<QAbstractItemModelTester>(
            model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    QAbstractItemModel* model() const { return window.treeList()->model(); }

    QModelIndex indexOf(std::string_view caption, const QModelIndex& parent = {}) {
        for (int r = 0; r < model()->rowCount(parent); ++r) {
            QModelIndex i = model()->index(r, 0, parent);
            if (i.data().toString().toStdString() == caption) {
                return i;
            }
        }
        return {};
    }

    void selectOnly(const QModelIndex& index) {
        QTreeView* tree = window.treeList();
        tree->setCurrentIndex(index);
        tree->selectionModel()->select(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    void key(int keyCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window.treeList(), static_cast<Qt::Key>(keyCode), modifiers);
        QCoreApplication::processEvents();  // the queued sort
    }

    testing::ScratchDir dir;
    QtIcons icons;
    testing::NoLocks locks;
    testing::FakeGlobalHotKeys keys;
    testing::FakeDesktop desktop;
    testing::ScriptedUi ui;
    testing::FakeShell shell;
    ScriptedPump pump;
    AsciiCollation collation;
    TarnuCore core{dir.str(), "/opt/tarnu/tarnu", collation,
                   CorePorts{icons, locks, keys, desktop, ui, shell, pump, {}}};
    TfrmMain window{core, icons};
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(MainWindowTest, ShowsTheLoadedZuBookWithItsCaption) {
    EXPECT_EQ(window.windowTitle(), "Tarnu - Default.dua");
    ASSERT_EQ(model()->rowCount(), 2);
    EXPECT_EQ(model()->index(0, 0).data().toString(), ":Alpha");
    EXPECT_EQ(model()->rowCount(indexOf(":Alpha")), 1);
    EXPECT_TRUE(window.treeList()->isColumnHidden(kColLock));
    EXPECT_TRUE(window.treeList()->isColumnHidden(kColKind));
    EXPECT_FALSE(window.treeList()->isColumnHidden(kColHotKey));
    window.show();  // caption lists are applied each time the window is shown
    EXPECT_EQ(window.actions().newFolder->text(), "New virtual folder");

    // Free width goes to the captions, not to the last column.
    QTreeView* tree = window.treeList();
    const int hotKeyWidth = tree->columnWidth(kColHotKey);
    for (int width : {1400, 900}) {
        window.resize(width, 600);
        QCoreApplication::processEvents();
        EXPECT_EQ(tree->columnWidth(kColHotKey), hotKeyWidth);
        EXPECT_EQ(tree->columnWidth(kColCaption) + tree->columnWidth(kColPath) + hotKeyWidth,
                  tree->viewport()->width());
    }
}

TEST_F(MainWindowTest, SelectionKeepsToSiblings) {
    auto* selection = window.treeList()->selectionModel();
    QModelIndex alpha = indexOf(":Alpha");
    QModelIndex beta = indexOf(":Beta");
    QModelIndex inner = indexOf(":Inner", alpha);
    selection->select(alpha, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(beta, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(inner, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(core.tree().selectionCount(), 2u);
    EXPECT_FALSE(selection->isSelected(inner));  // not a sibling of the first: taken back
}

// A rename that sorts the folder to a new place keeps every child under its own parent, the
// expansion, the selection and the focus.
TEST_F(MainWindowTest, RenameThatResortsKeepsTheTreeRight) {
    window.show();
    QTreeView* tree = window.treeList();
    tree->expandAll();
    selectOnly(indexOf(":Alpha"));
    ui.inputs.push_back("Zeta");
    window.actions().rename->trigger();
    QCoreApplication::processEvents();

    ASSERT_EQ(model()->index(0, 0).data().toString(), ":Beta");
    ASSERT_EQ(model()->index(1, 0).data().toString(), ":Zeta");
    EXPECT_TRUE(indexOf(":Second", indexOf(":Beta")).isValid());
    EXPECT_TRUE(indexOf(":Inner", indexOf(":Zeta")).isValid());
    EXPECT_TRUE(tree->isExpanded(indexOf(":Zeta")));
    EXPECT_TRUE(tree->isExpanded(indexOf(":Beta")));
    EXPECT_EQ(tree->currentIndex(), indexOf(":Zeta"));
    EXPECT_TRUE(tree->selectionModel()->isRowSelected(1, {}));
    EXPECT_EQ(window.windowTitle(), "Tarnu - Default.dua *");

    // An in-place edit through F2 and the editor takes the same way.
    selectOnly(indexOf(":Beta"));
    key(Qt::Key_F2);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "Omega");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(model()->index(0, 0).data().toString(), ":Omega");
    EXPECT_TRUE(indexOf(":Second", indexOf(":Omega")).isValid());
}

// Ctrl+N inside a collapsed folder shows the new folder; forwarded adds and a new ZuBook's
// folders appear at once.
TEST_F(MainWindowTest, AdditionsAppearWhereTheyGo) {
    window.show();
    QApplication::setActiveWindow(&window);
    window.treeList()->setFocus();
    selectOnly(indexOf(":Alpha"));
    window.treeList()->collapseAll();
    ui.inputs.push_back("Fresh");
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QModelIndex fresh = indexOf(":Fresh", indexOf(":Alpha"));
    ASSERT_TRUE(fresh.isValid());
    EXPECT_TRUE(window.treeList()->isExpanded(indexOf(":Alpha")));
    EXPECT_TRUE(window.treeList()->selectionModel()->isSelected(indexOf(":Alpha")));

    testing::writeFile(dir / "note.txt", "x");
    core.handleForwarded("-add\r" + (dir / "note.txt"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(indexOf("note", indexOf(":Alpha")).isValid());

    ui.saveChoices.push_back(SaveChoice::Discard);
    ui.inputs.push_back("Second book");
    window.actions().newZuBook->trigger();
    EXPECT_EQ(window.windowTitle(), "Tarnu - Second book.dua");
    EXPECT_EQ(model()->rowCount(), 0);
    ui.inputs.push_back("First");
    window.actions().newFolder->trigger();
    core.handleForwarded("-add\r" + (dir / "note.txt"));
    QCoreApplication::processEvents();
    EXPECT_EQ(model()->rowCount(), 2);
    EXPECT_TRUE(indexOf(":First").isValid());
}

TEST_F(MainWindowTest, UnsavedChangesAreOfferedBeforeTheyGo) {
    ui.inputs.push_back("Fresh");
    window.actions().newFolder->trigger();
    ASSERT_EQ(window.windowTitle(), "Tarnu - Default.dua *");

    ui.saveChoices.push_back(SaveChoice::Cancel);
    window.actions().newZuBook->trigger();
    EXPECT_EQ(window.windowTitle(), "Tarnu - Default.dua *");  // nothing happened

    ui.saveChoices.push_back(SaveChoice::Save);
    ui.openFiles.push_back({dir / "starter.dua"});
    window.actions().loadZuBook->trigger();
    EXPECT_EQ(window.windowTitle(), "Tarnu - starter.dua");
    ui.openFiles.push_back({dir / "Default.dua"});
    window.actions().loadZuBook->trigger();                       // unchanged: no question
    EXPECT_TRUE(indexOf(":Fresh", indexOf(":Alpha")).isValid());  // saved before the load
    EXPECT_TRUE(ui.saveChoices.empty());
}

TEST_F(MainWindowTest, HotFolderKeysBindAndMove) {
    window.show();
    selectOnly(indexOf(":Alpha"));
    // X11 reports Ctrl+Shift+1 as the shifted symbol.
    key(Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier);
    selectOnly(indexOf(":Beta"));
    key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(model()->rowCount(), 1);
    EXPECT_TRUE(indexOf(":Beta", indexOf(":Alpha")).isValid());
}

TEST_F(MainWindowTest, SearchSelectsInTheTreeAndFavouriteButtonsLoadTheirZuBooks) {
    window.show();
    window.actions().find->trigger();
    auto* search = window.findChild<TfrmSearch*>();
    ASSERT_TRUE(search && search->isVisible());
    search->textField()->setText("sec");
    QTest::keyClick(search->textField(), Qt::Key_Return);
    const QModelIndex second = indexOf(":Second", indexOf(":Beta"));
    EXPECT_TRUE(window.treeList()->selectionModel()->isSelected(second));
    EXPECT_EQ(core.tree().selectionCount(), 1u) << "Enter searches once";
    EXPECT_TRUE(search->isVisible()) << "the dialog stays open for the next match";

    std::filesystem::copy_file(dir / "starter.dua", dir / "other.dua");
    ui.openFiles.push_back({dir / "other.dua", dir / "other.dua"});
    ui.inputs.push_back("Other");
    window.actions().addToFavorite->trigger();
    auto* button = window.findChild<QToolButton*>("FavZBButton_0");
    ASSERT_TRUE(button);
    EXPECT_EQ(button->text(), "Other");
    EXPECT_EQ(button->toolTip().toStdString(), dir / "other.dua");
    EXPECT_FALSE(button->icon().isNull());
    button->ensurePolished();
    EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(Qt::white));
    EXPECT_FALSE(window.findChild<QToolButton*>("FavZBButton_1")) << "one button per file";
    ui.saveChoices.push_back(SaveChoice::Discard);  // in case the search changed anything
    button->click();
    EXPECT_EQ(window.windowTitle(), "Tarnu - other.dua");
}

TEST_F(MainWindowTest, DropsGoOntoZuFoldersOrTheTopLevel) {
    testing::writeFile(dir / "note.txt", "x");
    selectOnly(indexOf(":Beta"));
    core.handleForwarded("-add\r" + (dir / "note.txt"));
    QCoreApplication::processEvents();
    const auto* link =
        static_cast<const Node*>(indexOf("note", indexOf(":Beta")).internalPointer());
    const auto* alpha = static_cast<const Node*>(indexOf(":Alpha").internalPointer());
    const auto* inner =
        static_cast<const Node*>(indexOf(":Inner", indexOf(":Alpha")).internalPointer());
    auto* view = static_cast<ZuBookTreeView*>(window.treeList());
    ASSERT_TRUE(view->canDropOn);
    selectOnly(indexOf(":Beta"));
    EXPECT_FALSE(view->canDropOn(link));  // a File link takes nothing
    EXPECT_TRUE(view->canDropOn(alpha));
    EXPECT_TRUE(view->canDropOn(nullptr));
    selectOnly(indexOf(":Alpha"));
    EXPECT_FALSE(view->canDropOn(inner));  // onto its own descendant

    selectOnly(indexOf(":Inner", indexOf(":Alpha")));
    view->dropOn(nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(indexOf(":Inner").isValid());
    EXPECT_EQ(model()->rowCount(), 3);
}

// Closing the window while a folder scan runs waits for the scan, then ends the program.
TEST_F(MainWindowTest, CloseDuringAScanWaitsForIt) {
    std::filesystem::create_directories(dir / "big/sub");
    for (int i = 0; i < 20; ++i) {
        testing::writeFile(dir / ("big/f" + std::to_string(i)), "x");
    }
    Settings noQuestion = core.settings();
    noQuestion.ask = false;
    noQuestion.closeAsMin = false;
    core.applyOptions(noQuestion, false);
    window.show();
    pump.once = [this] { window.close(); };
    core.handleForwarded("-addf\r" + (dir / "big"));
    EXPECT_TRUE(core.document().isOpen());  // the close did not pull the tree away
    ui.saveChoices.push_back(SaveChoice::Discard);
    QTest::qWait(200);  // the retried exit
    EXPECT_FALSE(core.document().isOpen());
    auto placement = FormPlacement(core.placementFile()).read();
    ASSERT_TRUE(placement);
    EXPECT_TRUE(placement->visible);  // written last as the window goes
}

TEST_F(MainWindowTest, SettingsAndPanelsFollowTheWindow) {
    Settings shown = core.settings();
    shown.showComments = true;
    core.applyOptions(shown, false);
    window.applySettings();
    window.show();
    auto* panel = window.findChild<QDockWidget*>("pnComment");
    EXPECT_TRUE(panel->isVisible());
    window.hideProgram();
    EXPECT_FALSE(panel->isVisible());
    window.showProgram();
    EXPECT_TRUE(panel->isVisible());
    // Another page hides it and keeps the tick; the ZuBook page brings it back.
    auto* tabs = window.findChild<QTabWidget*>("Tab");
    tabs->setCurrentIndex(1);
    EXPECT_FALSE(panel->isVisible());
    emit window.menuBar()->findChild<QMenu*>("Tools1")->aboutToShow();
    EXPECT_TRUE(window.actions().showComments->isChecked());
    tabs->setCurrentIndex(0);
    EXPECT_TRUE(panel->isVisible());

    window.treeList()->header()->resizeSection(0, 321);
    window.exitProgram();
    EXPECT_EQ(core.settings().columnWidths[0], 321);
}

TEST_F(MainWindowTest, CommentPanelWritesIntoTheNodeItShowedAndShowComentsLeavesTheSetting) {
    window.show();
    auto* panel = window.findChild<QDockWidget*>("pnComment");
    auto* text = window.findChild<QPlainTextEdit*>("mmComment");
    selectOnly(indexOf(":Alpha"));
    text->setPlainText("typed for Alpha");
    selectOnly(indexOf(":Beta"));
    EXPECT_EQ(text->toPlainText(), "");
    EXPECT_EQ(core.tree().firstTopLevel()->text(kColComment), "typed for Alpha");
    selectOnly(indexOf(":Alpha"));
    EXPECT_EQ(text->toPlainText(), "typed for Alpha");

    const bool setting = core.settings().showComments;
    const bool shown = panel->isVisible();
    window.actions().showComments->trigger();
    EXPECT_NE(panel->isVisible(), shown);
    EXPECT_EQ(core.settings().showComments, setting);
}

TEST_F(MainWindowTest, DoubleClickTogglesAFolderWithoutOpeningIt) {
    window.show();
    QTreeView* tree = window.treeList();
    const QModelIndex alpha = indexOf(":Alpha");
    const bool expanded = tree->isExpanded(alpha);
    const QPoint at = tree->visualRect(alpha).center();
    auto doubleClick = [&] {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    };
    doubleClick();
    EXPECT_NE(tree->isExpanded(alpha), expanded);
    doubleClick();
    EXPECT_EQ(tree->isExpanded(alpha), expanded);
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(MainWindowTest, ContextMenuFollowsTheSelectionWithoutTouchingTheMenuBar) {
    window.treeList()->selectionModel()->clearSelection();
    window.prepareContextMenu();
    auto* contextDelete = window.contextMenu()->findChild<QAction*>("Delete1");
    ASSERT_NE(contextDelete, nullptr);
    EXPECT_FALSE(contextDelete->isEnabled());
    EXPECT_TRUE(window.actions().deleteNodes->isEnabled());
    selectOnly(indexOf(":Alpha"));
    window.prepareContextMenu();
    EXPECT_TRUE(contextDelete->isEnabled());
}

TEST_F(MainWindowTest, NoZuBookHidesItsMenus) {
    core.closeZuBook();
    EXPECT_EQ(window.windowTitle(), "Tarnu");
    EXPECT_FALSE(window.actions().saveZuBook->isEnabled());
    EXPECT_EQ(model()->rowCount(), 0);
}

// Every menu can be worked from the keyboard: each item has a letter of its own. A caption
// list may replace an item's text, and with it the letter.
TEST_F(MainWindowTest, EveryMenuItemHasALetterOfItsOwn) {
    for (QAction* title : window.menuBar()->actions()) {
        std::set<int> letters;
        for (QAction* item : title->menu()->actions()) {
            if (item->isSeparator() || item == window.actions().newFolder) {
                continue;
            }
            const int letter = QKeySequence::mnemonic(item->text())[0].key();
            EXPECT_NE(letter, 0) << item->text().toStdString();
            EXPECT_TRUE(letters.insert(letter).second) << item->text().toStdString();
        }
    }
}

TEST_F(MainWindowTest, CdCatalogTabCatalogsAChosenFolder) {
    QAction* item = window.actions().cdCatalog;
    ASSERT_TRUE(item->isEnabled());
    auto* tabs = window.findChild<QTabWidget*>("Tab");
    auto* page = window.findChild<CatalogPage*>("pCDCatalog");
    ASSERT_NE(page, nullptr);
    item->trigger();
    EXPECT_EQ(tabs->currentWidget(), page);
    EXPECT_EQ(window.findChild<QToolBox*>("SideBar")->currentWidget(), page->sideBarGroup());
    ASSERT_EQ(page->tree()->topLevelItemCount(), 3);
    EXPECT_TRUE(std::filesystem::exists(dir / "Data/CDBase.qcb"));

    // No drives: the drive box offers only a folder to choose.
    ASSERT_EQ(page->driveBox()->count(), 1);
    EXPECT_EQ(page->driveBox()->itemText(0), CatalogPage::kChooseFolder);
    std::filesystem::create_directories(dir / "Disc/Docs");
    testing::writeFile(dir / "Disc/Docs/notes.txt", "n");
    page->tree()->setCurrentItem(page->tree()->topLevelItem(0));
    ui.folders = {dir / "Disc"};
    page->aAddActiveCdExecute();
    QTRY_COMPARE_WITH_TIMEOUT(page->tree()->topLevelItem(0)->childCount(), 1, 20000);
    EXPECT_EQ(page->tree()->topLevelItem(0)->child(0)->text(0), "Disc");

    page->searchText()->setText("NOTES");
    page->searchExecute();
    QTRY_COMPARE_WITH_TIMEOUT(page->searchButton()->text(), QString("Search"), 20000);
    ASSERT_NE(page->fileList()->currentItem(), nullptr);
    EXPECT_EQ(page->fileList()->currentItem()->text(), "notes.txt");

    item->trigger();
    EXPECT_EQ(tabs->indexOf(page), -1);
    EXPECT_EQ(tabs->currentIndex(), 0);
}

QMenu* menuTitled(QMenuBar& bar, const QString& title) {
    for (QAction* action : bar.actions()) {
        if (action->menu() && withoutMnemonics(action->text()) == title) {
            return action->menu();
        }
    }
    return nullptr;
}

// The item of the menu whose text the pointer starts with; the longest when several do.
QAction* itemAt(QMenu& menu, const QString& pointer) {
    QAction* best = nullptr;
    for (QAction* action : menu.actions()) {
        const QString text = withoutMnemonics(action->text());
        if (!action->isSeparator() && pointer.startsWith(text) &&
            (!best || text.size() > withoutMnemonics(best->text()).size())) {
            best = action;
        }
    }
    return best;
}

// The starter ZuBook's texts name menu items as "Menu > Item (shortcut)".
TEST_F(MainWindowTest, StarterZuBookPointsOnlyAtRealMenuItems) {
    ZuTree starter(collation);
    buildFromOutline(starter, testing::readFile(TARNU_SOURCE_DIR "/data/Default.outline"));
    QStringList comments;
    starter.forEachInFlatOrder([&](Node* node) {
        comments << QString::fromStdString(std::string(node->text(kColComment)));
        return true;
    });
    int pointers = 0;
    for (const QString& comment : comments) {
        for (qsizetype at = comment.indexOf(" > "); at >= 0; at = comment.indexOf(" > ", at + 3)) {
            ++pointers;
            qsizetype start = at;
            while (start > 0 && comment[start - 1].isLetter()) {
                --start;
            }
            const QString title = comment.sliced(start, at - start);
            const QString pointer = comment.sliced(at + 3);
            QMenu* menu = menuTitled(*window.menuBar(), title);
            ASSERT_NE(menu, nullptr) << title.toStdString();
            QAction* item = itemAt(*menu, pointer);
            ASSERT_NE(item, nullptr) << title.toStdString() << " > " << pointer.toStdString();
            const QString after = pointer.sliced(withoutMnemonics(item->text()).size());
            if (after.startsWith(" (")) {
                const QString keys = after.sliced(2, after.indexOf(u')') - 2);
                EXPECT_EQ(item->shortcut().toString(), keys) << pointer.toStdString();
            }
        }
    }
    EXPECT_GE(pointers, 5);
}

// The names of the side bar's groups, and the open one's.
std::pair<QStringList, QString> sideBarGroups(const QToolBox& bar) {
    QStringList names;
    for (int i = 0; i < bar.count(); ++i) {
        names << bar.widget(i)->objectName();
    }
    return {names, bar.currentWidget() ? bar.currentWidget()->objectName() : QString()};
}

TEST_F(MainWindowTest, SharingPagesAndTheFtpListTab) {
    auto* tabs = window.findChild<QTabWidget*>("Tab");
    ASSERT_NE(tabs, nullptr);
    const QToolBox& bar = *window.findChild<QToolBox*>("SideBar");
    using Groups = std::pair<QStringList, QString>;
    const Groups zuBookGroups{{"gFolders", "gLinks", "gFavorite"}, "gFolders"};
    EXPECT_EQ(sideBarGroups(bar), zuBookGroups);
    auto* shared = window.findChild<QTreeWidget*>("tlSharedFiles");
    ASSERT_NE(shared, nullptr);
    tabs->setCurrentIndex(1);
    ASSERT_EQ(shared->topLevelItemCount(), 1);
    EXPECT_EQ(shared->topLevelItem(0)->text(1), "Folder");  // the root, always there
    EXPECT_EQ(sideBarGroups(bar), Groups({"gZuShared"}, "gZuShared"));
    testing::writeFile(dir / "Data/FavServers.fs", "192.0.2.7 - far away\r\n");
    tabs->setCurrentIndex(2);  // the server list comes back from its file
    auto* transfer = window.findChild<QTreeWidget*>("tlDataTrans");
    ASSERT_EQ(transfer->topLevelItemCount(), 1);
    EXPECT_EQ(transfer->topLevelItem(0)->text(0), "192.0.2.7 - far away");
    EXPECT_EQ(sideBarGroups(bar), Groups({"gZuTransfer"}, "gZuTransfer"));
    EXPECT_EQ(window.findChild<QLineEdit*>("FlatEdit1")->text(), "0.0.0.0");

    // Open FTP hands the selected server to the shell, from a child line too. Unticking the
    // FTP list removes its tab and returns to the first one.
    saveFtpList(dir / "Data/FTPList.qfl", {{"ftp.example.org", "mirror"}});
    window.show();  // the list is read when its tab is shown
    QAction* ftpList = window.findChild<QAction*>("FTPlist1");
    ftpList->trigger();
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), "FTP list");
    EXPECT_TRUE(ftpList->isChecked());
    EXPECT_EQ(sideBarGroups(bar), Groups({"gFTPList"}, "gFTPList"));
    auto* ftpTree = window.findChild<QTreeWidget*>("tvFTP");
    ASSERT_EQ(ftpTree->topLevelItemCount(), 1);
    ftpTree->setCurrentItem(ftpTree->topLevelItem(0)->child(0));
    window.findChild<QToolButton*>("Button10")->click();
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"ftp://ftp.example.org"}));
    ftpList->trigger();
    EXPECT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(ftpList->isChecked());
    EXPECT_EQ(sideBarGroups(bar), zuBookGroups);
    EXPECT_EQ(window.findChild<QWidget*>("gFTPList"), nullptr);  // gone with its window
}

// A click on a file link runs the shipped information plug-in and the panel shows its page.
TEST_F(MainWindowTest, ClickingAFileLinkShowsItsInformationPage) {
    core.startPlugIns(TARNU_SHIPPED_PLUGIN_DIR);
    testing::writeFile(dir / "notes.txt", "first line of the notes\n");
    Node* link = core.tree().addChild(nullptr);
    core.tree().setTexts(
        link, std::vector<std::string>{"notes.txt", dir / "notes.txt", "No", "", "File"});
    window.show();
    QTreeView* tree = window.treeList();
    const QPoint at = tree->visualRect(indexOf("notes.txt")).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    auto* browser = window.findChild<QTextBrowser*>("wbFileInfo");
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->source(),
              QUrl::fromLocalFile(QString::fromStdString(dir / "plugins/fileinfo.htm")));
    EXPECT_TRUE(browser->toPlainText().contains("first line of the notes"))
        << browser->toPlainText().toStdString();

    // A folder shows the empty page.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualRect(indexOf(":Alpha")).center());
    EXPECT_TRUE(browser->toPlainText().isEmpty());
}

}  // namespace
}  // namespace tarnu
