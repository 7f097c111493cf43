#include "remote.h"

#include "sharing/folder_download.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace tarnu::share {

namespace {

// The parent folder's path and the item's position in it; empty for the root.
std::optional<std::pair<std::string, std::size_t>> splitLast(const std::string& path) {
    const auto positions = parseItemPath(path);
    if (!positions || positions->empty()) {
        return std::nullopt;
    }
    std::vector<std::size_t> parent = *positions;
    parent.pop_back();
    return std::make_pair(formatItemPath(parent), positions->back());
}

// Connects, asks for the folder at path once the root listing is in, and hands its listing
// to onFolder. Returns the exit code that onFolder or a failure sets.
int withFolder(Client& client, const Remote& remote, const std::string& path,
               const std::function<void(const std::vector<ListingEntry>&)>& onFolder) {
    int exitCode = 0;
    // A path that names no folder gets no reply at all.
    QTimer silence;
    silence.setSingleShot(true);
    QObject::connect(&silence, &QTimer::timeout, [&] {
        std::fprintf(stderr, "tarnu-share: no answer for %s\n", path.c_str());
        exitCode = 1;
        QCoreApplication::exit(1);
    });
    silence.start(std::chrono::seconds(3));
    client.onFailure = [&](const std::string& message) {
        std::fprintf(stderr, "tarnu-share: %s\n", message.c_str());
        exitCode = 1;
        QCoreApplication::exit(1);
    };
    client.onReset = [&] { QCoreApplication::exit(exitCode == 0 ? 1 : exitCode); };
    client.onListing = [&](ReplyKind kind, const std::vector<ListingEntry>& entries) {
        if (kind == ReplyKind::RootListing && !path.empty()) {
            client.requestFolder(path);
            return;
        }
        silence.stop();
        onFolder(entries);
    };
    client.connectTo(remote.address, remote.controlPort, remote.filePort);
    return QCoreApplication::exec();
}

// Walks the folder at path into directory, printing each file as it ends; leaves the event
// loop when the walk ends, with 1 when anything was missed.
bool startFolder(Client& client, FolderDownload& folder, const std::string& path,
                 const std::string& caption, const std::string& directory) {
    folder.takeOverClient();
    folder.onFile = [](const std::string& file, bool complete) {
        std::printf("%s%s\n", file.c_str(), complete ? "" : " (incomplete)");
        std::fflush(stdout);
    };
    folder.onFinished = [&client](const FolderDownloadResult& result) {
        const bool whole = result.complete && result.filesFailed + result.skipped == 0;
        if (!whole) {
            std::fprintf(stderr, "tarnu-share: %s: %zu files failed, %zu items skipped\n",
                         result.complete ? "folder incomplete" : result.failure.c_str(),
                         result.filesFailed, result.skipped);
        }
        client.onReset = nullptr;
        QCoreApplication::exit(whole ? 0 : 1);
    };
    return folder.start(path, caption, directory);
}

}  // namespace

std::optional<std::string> itemPathArgument(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    // The protocol ignores what comes before the first separator, so "0\1" (a shell ate
    // the first backslash) would quietly name the root.
    if ((!path.empty() && path.front() != '\\') || !parseItemPath(path)) {
        std::fprintf(stderr,
                     "tarnu-share: %s is not an item path; write it as \\0\\1 (quoted) or /0/1\n",
                     path.c_str());
        return std::nullopt;
    }
    return path;
}

int listFolder(const Remote& remote, const std::string& path) {
    Client client;
    return withFolder(client, remote, path, [&](const std::vector<ListingEntry>& entries) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::printf("%s\\%zu\t%s\t%s\n", path.c_str(), i, entries[i].caption.c_str(),
                        entries[i].size.c_str());
        }
        std::fflush(stdout);
        client.onReset = nullptr;
        QCoreApplication::exit(0);
    });
}

int getFile(const Remote& remote, const std::string& path, const std::string& directory) {
    const auto parent = splitLast(path);
    if (!parent) {
        std::fprintf(stderr, "tarnu-share: %s is the root, not a shared item\n", path.c_str());
        return 2;
    }
    Client client;
    auto fail = [&](const std::string& message) {
        std::fprintf(stderr, "tarnu-share: %s\n", message.c_str());
        client.onReset = nullptr;
        QCoreApplication::exit(1);
    };
    client.files().onFinished = [&](const std::string& file) {
        std::printf("%s\n", file.c_str());
        client.onReset = nullptr;
        QCoreApplication::exit(0);
    };
    client.files().onInterrupted = [&](const std::string& file) {
        fail("download of " + file + " ended early");
    };
    FolderDownload folder(client);
    return withFolder(client, remote, parent->first, [&](const std::vector<ListingEntry>& entries) {
        if (parent->second >= entries.size()) {
            fail(path + " names no shared item");
            return;
        }
        const ListingEntry& item = entries[parent->second];
        if (item.size.empty()) {
            // Out of the listing callback before the walk takes the client's callbacks over.
            QTimer::singleShot(0, [&, caption = item.caption] {
                if (!startFolder(client, folder, path, caption, directory)) {
                    fail("refused the folder name " + caption);
                }
            });
            return;
        }
        switch (client.download(path, directory, item.caption)) {
            case FileClient::StartResult::Started:
                return;
            case FileClient::StartResult::UnsafeName:
                fail("refused the file name " + item.caption);
                return;
            default:
                fail("cannot create " + item.caption + " in " + directory);
        }
    });
}

}  // namespace tarnu::share
