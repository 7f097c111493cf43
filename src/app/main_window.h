#pragma once

// The main window: menus, side bar, the three pages, status bar, summary and tray icon.
// It forwards every command to the UI-free core and repaints from it.

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QToolBox>
#include <QTreeView>
#include <map>

#include "app/qt_icons.h"
#include "app/zubook_tree_model.h"
#include "app/zubook_tree_view.h"
#include "core/tarnu_core.h"
#include "operations/editing.h"

namespace tarnu {

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
    void exitProgram();

    QTreeView* treeList() const { return tree_; }
    QAction* action(const char* name) const;
    QLabel* statusPanel(int panel) const;
    // The main window's status-bar panels, for the Ui port.
    void setStatusText(int panel, const QString& text);

    // The tree changed shape (load, add, delete, move): read it anew.
    void treeChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // TreeViewHooks
    void beginUpdate() override;
    void endUpdate() override;
    void setBusyCursor(bool busy) override;

    // ZuBookListener
    void captionChanged(std::string_view caption) override;
    void zuBookPartsShown(bool shown) override;
    void zuBookClosing() override;
    void zuBookLoaded() override;
    void summaryChanged(const SummaryCounts& counts) override;

    QAction* makeAction(const char* name, const QString& text, const QKeySequence& shortcut = {});
    void createActions();
    void createMenus();
    QWidget* createSideBar();
    QWidget* createZuBookPage();
    void createStatusBar();
    void createTray();
    void connectCommands();
    void restoreExpansion(const QModelIndex& parent);
    std::vector<Node*> selectedNodes() const;
    void syncSelectionToTree();
    void showComment();
    void runCommand(const std::function<void()>& command);
    void connectFolderCommands();
    void connectOptionCommands();
    bool treeKey(QKeyEvent* key);
    void followKey(const KeyOutcome& outcome);
    void showContextMenu(const QPoint& at);
    bool editing() const;
    Node* focusedNode() const;
    void openOptions(int page);
    void restorePlacement();
    void savePlacement(bool destroying);
    void saveColumnWidths();
    void resetWorkspace();

    TarnuCore& core_;
    QtIcons& icons_;
    ZuBookTreeModel* model_ = nullptr;
    ZuBookTreeView* tree_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QToolBox* sideBar_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* pagePicture_ = nullptr;
    QPlainTextEdit* comment_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    std::map<std::string, QAction*> actions_;
    std::vector<QMenu*> zuBookMenus_;
    QLabel* statusPanels_[3] = {};
    bool exiting_ = false;
    bool placementRestored_ = false;
    QTimer* columnWidthsTimer_ = nullptr;
};

}  // namespace tarnu
