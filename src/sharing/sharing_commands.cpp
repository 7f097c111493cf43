#include "sharing/sharing_commands.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "sharing/server_list.h"
#include "sharing/shared_listing.h"

namespace tarnu {

namespace {

constexpr std::chrono::seconds kListingWait{3};

std::string sizeText(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? "-1" : std::to_string(size);
}

}  // namespace

SharingCommands::SharingCommands(SharedTree& shared, IconCache& icons, MessageSource& messages,
                                 Ui& ui, SharingSetup setup)
    : shared_(shared),
      icons_(icons),
      ui_(ui),
      setup_(std::move(setup)),
      server_(shared, messages, log_),
      checks_(setup_.controlPort),
      servingControlPort_(setup_.controlPort),
      servingFilePort_(setup_.filePort) {
    server_.onError = [this](const std::string& text) { ui_.showError(text); };
    client_.onConnected = [this] {
        if (RemoteItem* entry = entryFor(connectedAddress_)) {
            entry->state = kStateReachable;
        }
        changed();
    };
    client_.onListing = [this](ReplyKind kind, const std::vector<ListingEntry>& entries) {
        if (folder_.takeListing(kind, entries)) {
            return;
        }
        listingAsked_.reset();
        fill(kind == ReplyKind::RootListing ? entryFor(connectedAddress_) : browsing_, entries);
    };
    client_.onReset = [this] {
        folder_.connectionEnded();
        listingAsked_.reset();
        if (RemoteItem* entry = entryFor(connectedAddress_)) {
            entry->state = kStateUnreachable;
            entry->children.clear();
        }
        connectedAddress_.clear();
        browsing_ = nullptr;
        changed();
    };
    client_.onFailure = [this](const std::string& text) { ui_.showError(text); };
    client_.onProgress = [this](int percent) {
        if (onProgress) {
            onProgress(percent);
        }
    };
    client_.files().onProgress = client_.onProgress;
    followFolderDownload();
    checks_.onTargetResult = [this](const ProbeTarget& target, bool reachable) {
        for (auto& entry : servers_) {
            const auto server = serverAddress(*entry);
            if (server && server->address == target.address && server->controlPort == target.port) {
                entry->state = reachable ? kStateReachable : kStateUnreachable;
            }
        }
        changed();
    };
}

void SharingCommands::shareFiles(const std::vector<Node*>& zubookSelection, Node* focused) {
    if (!focused) {
        focused = shared_.root();
    }
    Node* target = SharedTree::isFolder(focused) ? focused : focused->parent();
    ZuTree& tree = shared_.tree();
    for (Node* link : zubookSelection) {
        if (link->kind() != NodeKind::File) {
            continue;
        }
        const std::string path(link->text(kColPath));
        Node* node = tree.addChild(target);
        tree.setText(node, kSharedCaption, fileNamePart(path));
        tree.setText(node, kSharedFullName, path);
        tree.setText(node, kSharedSize, sizeText(path));
        node->setImageIndex(icons_.iconForFile(path));
        node->setSelectedImageIndex(node->imageIndex());
    }
}

void SharingCommands::addFolder(Node* focused) {
    if (!focused || !SharedTree::isFolder(focused)) {
        return;
    }
    auto name = ui_.inputBox("Tarnu", "Input folder name", "Tarnu");
    if (!name) {
        return;
    }
    std::erase(*name, ':');
    // An empty name would read as the root's caption, which ends every display path.
    if (name->empty()) {
        return;
    }
    ZuTree& tree = shared_.tree();
    Node* folder = tree.addChild(focused);
    tree.setText(folder, kSharedCaption, ":" + *name);
    tree.setText(folder, kSharedFullName, kSharedFolderMark);
    folder->setImageIndex(icons_.folderIcon());
    folder->setSelectedImageIndex(icons_.folderIcon());
}

void SharingCommands::deleteShared(Node* focused, TZLBArchive& archive,
                                   const std::string& zubookPath) {
    if (!focused || focused == shared_.root()) {
        return;
    }
    shared_.tree().deleteNode(focused);
    if (!zubookPath.empty()) {
        shared_.save(archive, zubookPath);
    }
}

void SharingCommands::toggleSharing() {
    if (server_.isListening()) {
        server_.stop();
    } else if (!server_.start(setup_.bindAddress, servingControlPort_, servingFilePort_)) {
        ui_.showError("Cannot listen on ports " + std::to_string(servingControlPort_) + " and " +
                      std::to_string(servingFilePort_));
    }
}

void SharingCommands::setServingPorts(std::uint16_t controlPort, std::uint16_t filePort) {
    if (controlPort == 0) {
        servingControlPort_ = setup_.controlPort;
        servingFilePort_ = setup_.filePort;
        return;
    }
    servingControlPort_ = controlPort;
    // 65535 has no port after it; listening then fails with both ports named.
    servingFilePort_ = filePort != 0 ? filePort : static_cast<std::uint16_t>(controlPort + 1);
}

std::optional<ServerAddress> SharingCommands::serverAddress(const RemoteItem& entry) const {
    return parseServerAddress(addressPart(entry.caption), setup_.controlPort, setup_.filePort);
}

std::string SharingCommands::serverListPath() const {
    return (std::filesystem::path(setup_.userDataDir) / kServerListFile).string();
}

void SharingCommands::loadServerList() {
    servers_.clear();
    browsing_ = nullptr;
    for (const std::string& caption : readServerList(serverListPath())) {
        auto entry = std::make_unique<RemoteItem>();
        entry->caption = caption;
        servers_.push_back(std::move(entry));
    }
    changed();
}

void SharingCommands::saveServerList() {
    std::vector<std::string> captions;
    for (const auto& entry : servers_) {
        captions.push_back(entry->caption);
    }
    writeServerList(serverListPath(), captions);
}

void SharingCommands::addServer(const std::string& address, const std::string& description) {
    auto entry = std::make_unique<RemoteItem>();
    entry->caption = address + " - " + description;
    entry->state = kStateReachable;
    servers_.push_back(std::move(entry));
    saveServerList();
    changed();
}

void SharingCommands::deleteServer(RemoteItem* item) {
    if (!item) {
        return;
    }
    if (item->isServerEntry() && client_.isOpen() && item == entryFor(connectedAddress_)) {
        client_.reset();
    }
    auto& siblings = item->parent ? item->parent->children : servers_;
    std::erase_if(siblings, [item](const auto& held) { return held.get() == item; });
    if (browsing_ == item) {
        browsing_ = nullptr;
    }
    saveServerList();
    changed();
}

void SharingCommands::connect(RemoteItem* entry) {
    if (client_.isOpen()) {
        client_.reset();
        return;
    }
    if (!entry || !entry->isServerEntry()) {
        return;
    }
    const std::string address = addressPart(entry->caption);
    const auto server = serverAddress(*entry);
    if (!server) {
        ui_.showError(address + " is not a valid IP address");
        return;
    }
    if (!probe(QHostAddress(server->address), server->controlPort)) {
        ui_.showError(kServiceNotFound);
        return;
    }
    connectedAddress_ = address;
    client_.connectTo(QHostAddress(server->address), server->controlPort, server->filePort);
}

void SharingCommands::open(RemoteItem* item) {
    if (!item) {
        return;
    }
    if (item->isServerEntry()) {
        if (client_.isOpen()) {
            client_.reset();
        }
        connect(item);
        return;
    }
    // Not while a folder download runs: its listings come back on the same connection.
    if (item->isFolder() && client_.isConnected() && !folder_.running()) {
        item->children.clear();
        browsing_ = item;
        listingAsked_ = std::chrono::steady_clock::now();
        client_.requestFolder(itemPath(item));
        changed();
    }
}

void SharingCommands::download(RemoteItem* item, const std::string& downloadDir) {
    if (!item || item->isServerEntry() || client_.files().downloading() || folder_.running()) {
        return;
    }
    const std::string directory =
        std::filesystem::path(downloadDir).is_absolute()
            ? downloadDir
            : (std::filesystem::path(setup_.userDataDir) / downloadDir).string();
    if (item->isFolder()) {
        // Listings carry no tag: one the user asked for, still on its way, would be taken
        // for the folder's own. A server that never answers holds this up only briefly.
        if (listingAsked_ && std::chrono::steady_clock::now() - *listingAsked_ < kListingWait) {
            return;
        }
        if (client_.isConnected() && !folder_.start(itemPath(item), item->caption, directory)) {
            ui_.showError("The folder name " + item->caption + " is not allowed");
        }
        return;
    }
    switch (client_.download(itemPath(item), directory, item->caption)) {
        case FileClient::StartResult::UnsafeName:
            ui_.showError("The file name " + item->caption + " is not allowed");
            break;
        case FileClient::StartResult::CannotCreate:
            // A download directory that cannot be made or written must not look like a
            // download that simply never arrives.
            ui_.showError("Cannot create " +
                          (std::filesystem::path(directory) / item->caption).string());
            break;
        default:
            break;
    }
}

void SharingCommands::followFolderDownload() {
    client_.files().onFinished = [this](const std::string&) { folder_.fileEnded(true); };
    client_.files().onInterrupted = [this](const std::string&) { folder_.fileEnded(false); };
    folder_.onFile = [this](const std::string&, bool) {
        reportFolderProgress(folder_.result().filesDone + folder_.result().filesFailed,
                             folder_.filesKnown());
    };
    folder_.onFinished = [this](const FolderDownloadResult& result) {
        reportFolderProgress(0, 0);
        if (result.complete && result.filesFailed == 0 && result.skipped == 0) {
            return;
        }
        std::string text = result.complete ? "The folder download is incomplete"
                                           : "The folder download stopped: " + result.failure;
        text += ". Files downloaded: " + std::to_string(result.filesDone) +
                ", failed: " + std::to_string(result.filesFailed) +
                ", skipped items: " + std::to_string(result.skipped) + ".";
        ui_.showError(text);
    };
}

void SharingCommands::reportFolderProgress(std::size_t ended, std::size_t known) {
    if (onFolderProgress) {
        onFolderProgress(ended, known);
    }
}

void SharingCommands::check() {
    std::vector<ProbeTarget> targets;
    for (const auto& entry : servers_) {
        if (const auto server = serverAddress(*entry)) {
            targets.push_back({server->address, server->controlPort});
        } else {
            entry->state = kStateUnreachable;
        }
    }
    checks_.scanTargets(std::move(targets));
}

std::string SharingCommands::itemPath(const RemoteItem* item) {
    std::vector<std::size_t> positions;
    for (; item && item->parent; item = item->parent) {
        const auto& siblings = item->parent->children;
        const auto at = std::find_if(siblings.begin(), siblings.end(),
                                     [item](const auto& held) { return held.get() == item; });
        positions.insert(positions.begin(), static_cast<std::size_t>(at - siblings.begin()));
    }
    return formatItemPath(positions);
}

RemoteItem* SharingCommands::entryFor(const std::string& address) {
    for (auto& entry : servers_) {
        if (addressPart(entry->caption) == address) {
            return entry.get();
        }
    }
    return nullptr;
}

void SharingCommands::fill(RemoteItem* parent, const std::vector<ListingEntry>& entries) {
    if (!parent) {
        return;
    }
    parent->children.clear();
    for (const ListingEntry& listed : entries) {
        auto child = std::make_unique<RemoteItem>();
        child->caption = listed.caption;
        child->size = listed.size;
        child->parent = parent;
        child->state = kStateNone;
        parent->children.push_back(std::move(child));
    }
    changed();
}

void SharingCommands::changed() {
    if (onTransferChanged) {
        onTransferChanged();
    }
}

}  // namespace tarnu
