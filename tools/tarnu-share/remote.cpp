#include "remote.h"

#include <QCoreApplication>
#include <QTimer>

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

}  // namespace

int listFolder(const Remote& remote, const std::string& path) {
    if (!parseItemPath(path)) {
        std::fprintf(stderr, "tarnu-share: %s is not an item path\n", path.c_str());
        return 2;
    }
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
        std::fprintf(stderr, "tarnu-share: %s is not the path of a file\n", path.c_str());
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
    return withFolder(client, remote, parent->first, [&](const std::vector<ListingEntry>& entries) {
        if (parent->second >= entries.size() || entries[parent->second].size.empty()) {
            fail(path + " is not a shared file");
            return;
        }
        const std::string& name = entries[parent->second].caption;
        switch (client.download(path, directory, name)) {
            case FileClient::StartResult::Started:
                return;
            case FileClient::StartResult::UnsafeName:
                fail("refused the file name " + name);
                return;
            default:
                fail("cannot create " + name + " in " + directory);
        }
    });
}

}  // namespace tarnu::share
