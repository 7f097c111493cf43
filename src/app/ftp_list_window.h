#pragma once

// TfrmFTPList: the FTP address book on its own tab. A thin view: the list, its file and the
// checks are the sharing layer's.

#include <QPointer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

#include <string>
#include <vector>

#include "document/data_pack.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "sharing/ftp_checks.h"

namespace tarnu {

class TfrmFTPList final : public QWidget {
public:
    // listPath: Data/FTPList.qfl under the user data directory; the pack gives the server
    // dialog its texts. Open FTP hands the server's address to shell.
    TfrmFTPList(std::string listPath, Ui& ui, Shell& shell, DataPack* pack,
                QWidget* parent = nullptr);

    // "Delete server", "Check all FTP", "Open FTP", "Check current FTP", "Add FTP": the side
    // bar shows it while the list's tab is active.
    QWidget* sideBarGroup() const { return group_; }
    QTreeWidget* tree() const { return tree_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void load();
    void save();
    void rebuild();
    // The server of the selected node (a child's parent), or -1.
    int selectedServer() const;
    void addServer();
    void deleteServer();
    void openServer();
    void mark(std::size_t index, bool live);
    QToolButton* checkAllButton() const;
    void checkCurrent();
    void toggleCheckAll();

    std::string listPath_;
    Ui& ui_;
    Shell& shell_;
    DataPack* pack_;
    std::vector<FtpServerEntry> entries_;
    FtpClient client_;
    FtpChecks checks_;
    QTreeWidget* tree_;
    QPointer<QWidget> group_;  // the side bar may hold it, and end before the window
    bool rebuilding_ = false;
};

}  // namespace tarnu
