#pragma once

// The main window: menus, side bar, the three pages, status bar, summary and tray icon.
// It forwards every command to the UI-free core and repaints from it.

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QToolBox>
#include <QTreeView>
#include <functional>
#include <map>

#include "app/file_info_panel.h"
#include "app/ftp_list_window.h"
#include "app/qt_icons.h"
#include "app/sharing_pages.h"
#include "app/side_bar_groups.h"
#include "app/zubook_tree_model.h"
#include "app/zubook_tree_view.h"
#include "core/tarnu_core.h"

class QDockWidget;

namespace tarnu {
class CatalogPage;
}

namespace tarnu {

class FavouriteBar;
class TfrmExSelection;
class TfrmSearch;

// Every command of the main window. Object names are the ones caption lists address.
struct MainActions {
    QAction* newZuBook = nullptr;
    QAction* loadZuBook = nullptr;
    QAction* saveZuBook = nullptr;
    QAction* saveAs = nullptr;
    QAction* close = nullptr;
    QAction* exit = nullptr;
    QAction* newFolder = nullptr;
    QAction* addFolder = nullptr;
    QAction* addFiles = nullptr;
    QAction* deleteNodes = nullptr;
    QAction* rename = nullptr;
    QAction* lockFiles = nullptr;
    QAction* unlockFiles = nullptr;
    QAction* setHotKey = nullptr;
    QAction* unsetHotKey = nullptr;
    QAction* checkLinks = nullptr;
    QAction* find = nullptr;
    QAction* plugIns = nullptr;
    QAction* expandSelection = nullptr;
    QAction* hotFoldersManage = nullptr;
    QAction* cdCatalog = nullptr;
    QAction* ftpList = nullptr;
    QAction* synchronize = nullptr;
    QAction* addToFavorite = nullptr;
    QAction* fullExpand = nullptr;
    QAction* fullCollapse = nullptr;
    QAction* showComments = nullptr;
    QAction* general = nullptr;
    QAction* filesFolders = nullptr;
    QAction* resetWorkspace = nullptr;
    QAction* help = nullptr;
    QAction* about = nullptr;
    QAction* showProgram = nullptr;
    QAction* hideProgram = nullptr;
};

// The tree's context menu: the items that follow the selection are its own, so that opening
// it never changes the menu bar's actions.
struct ContextActions {
    QAction* open = nullptr;
    QAction* deleteNodes = nullptr;
    QAction* rename = nullptr;
    QAction* lockFiles = nullptr;
    QAction* unlockFiles = nullptr;
    QAction* setHotKey = nullptr;
    QAction* unsetHotKey = nullptr;
    QMenu* hotFolders = nullptr;
    QAction* shareFiles = nullptr;
};

class TfrmMain final : public QMainWindow, private ZuBookListener, private TreeViewHooks {
    Q_OBJECT

public:
    TfrmMain(TarnuCore& core, QtIcons& icons);
    ~TfrmMain() override;

    // The window-creation steps that need widgets; tab captions come from the core.
    void setUpPages(const std::vector<std::string>& tabCaptions);
    // After the settings are read: tray icon, column widths.
    void applySettings();

    void showProgram();
    void hideProgram();
    void toggleProgram();
    // "Exit": offers to save unsaved changes, then ends the program. With interactive off
    // (the session is ending) nothing is asked and unsaved changes are dropped.
    void exitProgram(bool interactive = true);

    bool isExiting() const { return exiting_; }
    // A command is running: it may be waiting in a dialog or for a save.
    bool isRunningCommand() const { return commandRunning_; }
    QTreeView* treeList() const { return tree_; }
    const MainActions& actions() const { return actions_; }
    QMenu* contextMenu() const { return contextMenu_; }
    QLabel* statusPanel(int panel) const;
    // The main window's status-bar panels, for the Ui port.
    void setStatusText(int panel, const QString& text);
    // Shows the context menu's items for the current selection, without opening it.
    void prepareContextMenu();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // TreeViewHooks
    void beginUpdate() override;
    void endUpdate() override;
    void setBusyCursor(bool busy) override;
    void reveal(const Node& node) override;

    // ZuBookListener
    void captionChanged(std::string_view caption) override;
    void zuBookPartsShown(bool shown) override;
    void zuBookClosing() override;
    void zuBookLoaded() override;
    void summaryChanged(const SummaryCounts& counts) override;

    QAction* makeAction(const char* name, const QString& text, const QKeySequence& shortcut = {});
    void createActions();
    void createMenus();
    void createContextMenu();
    QWidget* createSideBar();
    QWidget* createZuBookPage();
    void createStatusBar();
    void createTray();
    void connectCommands();
    void connectTree();
    void readWindowCaptions();
    // A dialog's caption from "FormsCaptions.fc", when it names one.
    void applyWindowCaption(QWidget& dialog, AuxWindow window) const;
    void restoreExpansion(const QModelIndex& parent);
    void syncSelectionToTree();
    void showSelectionFromTree();
    void showComment();
    void updateActions();
    // Runs a command, shows its error, and repaints what it changed. A command that arrives
    // while another waits in a dialog runs once that one has returned.
    void runCommand(const std::function<void()>& command);
    // Opens the FTP list on a tab of its own, or closes it.
    void toggleFtpList();
    // The tab control's change: the page's panels, status text and side-bar groups
    // (main_window_tabs.cpp).
    void tabChanged(int tab);
    void onTriggered(QAction* action, std::function<void()> command);
    bool treeKey(QKeyEvent* key);
    void followKey(const KeyOutcome& outcome);
    void showContextMenu(const QPoint& at);
    bool editing() const;
    Node* focusedNode() const;
    void openOptions(int page);
    void openHelp();
    void restorePlacement();
    void savePlacement(bool destroying);
    void saveColumnWidths();
    void resetWorkspace();
    void placeCommentPanel();
    void endProgram();
    // Search, selection, hot folders, favourites and synchronize (main_window_links.cpp).
    void connectLinkCommands();
    void showSearch();
    void expandSelection();
    void manageHotFolders();
    void synchronize();
    void showFavourites();

    TarnuCore& core_;
    QtIcons& icons_;
    MainActions actions_;
    ContextActions context_;
    ZuBookTreeModel* model_ = nullptr;
    ZuBookTreeView* tree_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    SharedFilesPage* sharedPage_ = nullptr;
    DataTransferPage* transferPage_ = nullptr;
    QPointer<TfrmFTPList> ftpList_;
    QToolBox* sideBar_ = nullptr;
    std::unique_ptr<SideBarGroups> sideGroups_;
    QLabel* summary_ = nullptr;
    QLabel* pagePicture_ = nullptr;
    QDockWidget* commentPanel_ = nullptr;
    QPlainTextEdit* comment_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    CatalogPage* catalogPage_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    qsizetype fixedContextItems_ = 0;
    FileInfoPanel* fileInfo_ = nullptr;
    std::vector<QMenu*> zuBookMenus_;
    std::map<AuxWindow, QString> windowCaptions_;
    QLabel* statusPanels_[3] = {};
    bool exiting_ = false;
    bool placementRestored_ = false;
    bool commandRunning_ = false;
    bool showingSelection_ = false;
    bool zuBookShown_ = false;
    TfrmSearch* search_ = nullptr;
    TfrmExSelection* exSelection_ = nullptr;
    FavouriteBar* favouriteBar_ = nullptr;
};

}  // namespace tarnu
