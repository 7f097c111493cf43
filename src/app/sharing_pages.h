#pragma once

// The "ZuShared files" and "ZuData transfer" pages: thin views over the sharing commands of
// the core. They rebuild their trees from the core's state after each change, and follow
// the sharing and connection state with their picture, tab caption and side-bar buttons.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

#include <functional>

#include "app/picture_box.h"
#include "app/qt_icons.h"
#include "core/tarnu_core.h"

namespace tarnu {

class SharedFilesPage final : public QWidget {
public:
    SharedFilesPage(TarnuCore& core, QtIcons& icons, QWidget* parent = nullptr);
    ~SharedFilesPage() override;

    // Shares the ZuBook's selected file links (the ZuBook context menu's "Share files").
    void shareSelectedFiles();
    // Rebuilds the tree, keeping the focused node when it is still there.
    void refresh();
    // "Allow connections" and "Clear log"; the side bar shows it while the page is active.
    QWidget* sideBarGroup() const { return group_; }

    // The page's tab caption follows the sharing state.
    std::function<void(const QString&)> onTabCaption;

private:
    Node* focusedNode() const;
    void addFolder();
    void deleteFocused();
    void toggleSharing();
    void refreshLog();
    void updateSwitch();
    void addChildren(QTreeWidgetItem* item, const Node* node);

    TarnuCore& core_;
    QtIcons& icons_;
    PictureBox* picture_;
    QPushButton* switch_;
    QListWidget* log_;
    QTreeWidget* tree_;
    QLabel* path_;
    QWidget* group_;
    int shownState_ = -1;  // the sharing state the picture and captions show
};

class DataTransferPage final : public QWidget {
public:
    DataTransferPage(TarnuCore& core, QtIcons& icons, QWidget* parent = nullptr);
    ~DataTransferPage() override;

    // The tab is shown: the server list comes back from its file, the address field is open.
    void reload();
    // "Connect", "Check", "Add server", "Delete server", "Find servers", "Download file".
    QWidget* sideBarGroup() const { return group_; }
    // The connected address; "0.0.0.0" while disconnected.
    QLineEdit* addressField() const { return address_; }

    std::function<void(const QString&)> onTabCaption;

private:
    RemoteItem* focusedItem() const;
    void refresh();
    void updateConnection();
    void addServer();
    void findServers();
    void download();
    QIcon iconOf(const RemoteItem& item);

    TarnuCore& core_;
    QtIcons& icons_;
    PictureBox* picture_;
    QPushButton* connect_;
    QLineEdit* address_;
    QTreeWidget* tree_;
    QProgressBar* progress_;
    QWidget* group_;
    int shownState_ = -1;
};

}  // namespace tarnu
