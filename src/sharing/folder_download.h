#pragma once

// Downloads a whole remote folder over an open client: walks it with folder listings and
// fetches its files one at a time, rebuilding the folder structure under the download
// directory. The peer is not trusted: names that could leave the directory are skipped, and
// the walk is bounded in depth and in entries.

#include <QTimer>

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "sharing/client.h"

namespace tarnu {

struct FolderDownloadLimits {
    std::size_t maxDepth = 64;        // folder levels below the downloaded folder
    std::size_t maxEntries = 100000;  // listed items over the whole walk
    std::chrono::milliseconds stall{std::chrono::seconds(30)};  // silence before giving up
};

struct FolderDownloadResult {
    std::size_t filesDone = 0;
    std::size_t filesFailed = 0;  // cut short, lost by the server, or not creatable here
    std::size_t skipped = 0;      // refused names, folders too deep, entries over the limit
    bool complete = false;        // the walk reached its end
    std::string failure;          // why it ended early
};

class FolderDownload {
public:
    // The client must outlive the download. Its owner forwards the client's listings, file
    // ends and resets to the methods below.
    explicit FolderDownload(Client& client, FolderDownloadLimits limits = {});

    // Starts walking the remote folder at path into directory/name. False when a walk is
    // running, the client is not connected or the name is not a safe one.
    bool start(const std::string& path, const std::string& name, const std::string& directory);
    bool running() const { return running_; }
    const FolderDownloadResult& result() const { return result_; }
    // Files known so far, ended or waiting.
    std::size_t filesKnown() const { return filesKnown_; }

    // A listing came in; true when it was the one this walk asked for.
    bool takeListing(ReplyKind kind, const std::vector<ListingEntry>& entries);
    // The current file ended, complete or not.
    void fileEnded(bool complete);
    // The connections ended: the walk stops, and what came down stays.
    void connectionEnded();
    // For an owner that uses the client for nothing else: takes over its listing, file and
    // reset callbacks.
    void takeOverClient();

    // After each file, with the local path.
    std::function<void(const std::string& path, bool complete)> onFile;
    std::function<void(const FolderDownloadResult&)> onFinished;

private:
    struct Job {
        bool folder = false;
        std::string path;       // remote item path
        std::string directory;  // local folder it goes into (a folder: the one it becomes)
        std::string name;
        std::size_t depth = 0;
    };
    enum class Waiting { Nothing, Listing, File };

    void queueEntries(const Job& folder, const std::vector<ListingEntry>& entries);
    void scheduleNext();
    void next();
    void watch();
    void finish(bool complete, const std::string& failure = {});

    Client& client_;
    FolderDownloadLimits limits_;
    bool running_ = false;
    Waiting waiting_ = Waiting::Nothing;
    Job current_;
    std::deque<Job> jobs_;
    std::size_t entriesSeen_ = 0;
    std::size_t filesKnown_ = 0;
    FolderDownloadResult result_;
    QTimer stallTimer_;
    // What has moved since the last tick: events seen and bytes of the current file.
    std::uint64_t events_ = 0;
    std::pair<std::uint64_t, std::uint64_t> lastTick_;
};

}  // namespace tarnu
