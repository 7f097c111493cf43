#pragma once

// TfrmFTPList: the FTP address book on its own tab. A thin view: the list, its file and the
// checks are the sharing layer's.

#include <QTreeWidget>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/ui.h"
#include "sharing/ftp_checks.h"

namespace tarnu {

class TfrmFTPList final : public QWidget {
public:
    // listPath: Data/FTPList.qfl under the user data directory.
    // Open FTP hands the server's address to shell.
    TfrmFTPList(std::string listPath, Ui& ui, Shell& shell, QWidget* parent = nullptr);

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

    std::string listPath_;
    Ui& ui_;
    Shell& shell_;
    std::vector<FtpServerEntry> entries_;
    FtpClient client_;
    FtpChecks checks_;
    QTreeWidget* tree_;
    bool rebuilding_ = false;
};

}  // namespace tarnu
