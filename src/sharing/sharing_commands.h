#pragma once

// The commands of the two sharing pages, without widgets: the shared tree (share files, add
// folder, delete), the sharing switch and its log, and the data-transfer tree (server list,
// connect, browse, download, check). Views repaint on the change callbacks.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/zlb_archive.h"
#include "document/message_source.h"
#include "document/shared_files.h"
#include "model/icon_cache.h"
#include "platform/ui.h"
#include "sharing/address_probes.h"
#include "sharing/client.h"
#include "sharing/folder_download.h"
#include "sharing/server.h"
#include "sharing/server_list.h"

namespace tarnu {

inline constexpr int kStateReachable = 5;
inline constexpr int kStateUnreachable = 6;

// A node of the data-transfer tree: a server entry at the top, remote items beneath it in
// the order the server sent them.
struct RemoteItem {
    std::string caption;
    std::string size;
    RemoteItem* parent = nullptr;
    std::vector<std::unique_ptr<RemoteItem>> children;
    int state = kStateUnreachable;

    bool isServerEntry() const { return parent == nullptr; }
    bool isFolder() const { return parent && size.empty(); }
};

// The ports this copy listens on while sharing, which are also the ones a server entry
// without ports is reached on.
struct SharingSetup {
    std::string userDataDir;
    std::uint16_t controlPort = kControlPort;
    std::uint16_t filePort = kFilePort;
    QHostAddress bindAddress = QHostAddress::Any;
};

class SharingCommands {
public:
    // Everything given must outlive the commands.
    SharingCommands(SharedTree& shared, IconCache& icons, MessageSource& messages, Ui& ui,
                    SharingSetup setup);

    // Shared page.
    void shareFiles(const std::vector<Node*>& zubookSelection, Node* focused);
    void addFolder(Node* focused);
    // Removes the node and saves the shared tree into the ZuBook at once.
    void deleteShared(Node* focused, TZLBArchive& archive, const std::string& zubookPath);
    void toggleSharing();
    // Listen on other ports than the setup's from the next start of sharing on; entries
    // without ports still go to the setup's. A file port of 0 is the one after the control
    // port; a control port of 0 keeps the setup's pair.
    void setServingPorts(std::uint16_t controlPort, std::uint16_t filePort);
    bool sharing() const { return server_.isListening(); }
    SharingLog& log() { return log_; }
    Server& server() { return server_; }

    // Data-transfer page.
    const std::vector<std::unique_ptr<RemoteItem>>& servers() const { return servers_; }
    void loadServerList();
    void addServer(const std::string& address, const std::string& description);
    void deleteServer(RemoteItem* item);
    // Disconnects when connected, else connects to the entry.
    void connect(RemoteItem* entry);
    // Double-click: reconnects to a server entry, lists a remote folder.
    void open(RemoteItem* item);
    // A remote file, or a remote folder with everything beneath it.
    void download(RemoteItem* item, const std::string& downloadDir);
    FolderDownload& folderDownload() { return folder_; }
    void check();
    bool connected() const { return client_.isOpen(); }
    std::uint16_t controlPort() const { return setup_.controlPort; }
    // Root-first child positions of a remote item below its server entry.
    static std::string itemPath(const RemoteItem* item);
    Client& client() { return client_; }

    std::function<void()> onTransferChanged;
    std::function<void(int percent)> onProgress;
    // Files of a folder download that have ended, of those known so far; 0 of 0 at its end.
    std::function<void(std::size_t ended, std::size_t known)> onFolderProgress;

private:
    std::string serverListPath() const;
    void saveServerList();
    RemoteItem* entryFor(const std::string& address);
    std::optional<ServerAddress> serverAddress(const RemoteItem& entry) const;
    void fill(RemoteItem* parent, const std::vector<ListingEntry>& entries);
    void followFolderDownload();
    void reportFolderProgress(std::size_t ended, std::size_t known);
    void changed();

    SharedTree& shared_;
    IconCache& icons_;
    Ui& ui_;
    SharingSetup setup_;
    SharingLog log_;
    Server server_;
    Client client_;
    FolderDownload folder_{client_};
    AddressProbes checks_;
    std::vector<std::unique_ptr<RemoteItem>> servers_;
    std::string connectedAddress_;
    RemoteItem* browsing_ = nullptr;
    // When the user last asked for a folder listing that has not come yet.
    std::optional<std::chrono::steady_clock::time_point> listingAsked_;
    std::uint16_t servingControlPort_;
    std::uint16_t servingFilePort_;
};

}  // namespace tarnu
