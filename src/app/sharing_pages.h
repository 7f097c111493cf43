#pragma once

// The "ZuShared files" and "ZuData transfer" pages: thin views over the sharing commands of
// the core. They rebuild their trees from the core's state after each change.

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

#include "core/tarnu_core.h"

namespace tarnu {

class SharedFilesPage final : public QWidget {
public:
    SharedFilesPage(TarnuCore& core, QWidget* parent = nullptr);
    ~SharedFilesPage() override;

    // Shares the ZuBook's selected file links (the ZuBook context menu's "Share files").
    void shareSelectedFiles();
    // Rebuilds the tree, keeping the focused node when it is still there.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Node* focusedNode() const;
    void addFolder();
    void deleteFocused();
    void refreshLog();
    void updateSwitch();
    void addChildren(QTreeWidgetItem* item, const Node* node);

    TarnuCore& core_;
    QPushButton* switch_;
    QListWidget* log_;
    QTreeWidget* tree_;
    QLabel* path_;
};

class DataTransferPage final : public QWidget {
public:
    DataTransferPage(TarnuCore& core, QWidget* parent = nullptr);
    ~DataTransferPage() override;

    // The tab is shown: the server list comes back from its file.
    void reload();

protected:
    void showEvent(QShowEvent* event) override;

private:
    RemoteItem* focusedItem() const;
    void refresh();
    void addServer();
    void findServers();
    void download();

    TarnuCore& core_;
    QPushButton* connect_;
    QTreeWidget* tree_;
    QProgressBar* progress_;
};

}  // namespace tarnu
