#include "sharing/folder_download.h"

#include <filesystem>
#include <system_error>

namespace tarnu {

namespace {

// A folder's caption carries one ":" before its name.
std::string localName(const ListingEntry& entry) {
    const bool folder = entry.size.empty();
    return folder && entry.caption.starts_with(':') ? entry.caption.substr(1) : entry.caption;
}

}  // namespace

FolderDownload::FolderDownload(Client& client, FolderDownloadLimits limits)
    : client_(client), limits_(limits) {
    QObject::connect(&stallTimer_, &QTimer::timeout, &stallTimer_, [this] { watch(); });
}

bool FolderDownload::start(const std::string& path, const std::string& caption,
                           const std::string& directory) {
    const std::string name = localName({caption, ""});
    if (running_ || !client_.isConnected() || client_.files().downloading() ||
        !isSafeDownloadName(name)) {
        return false;
    }
    result_ = {};
    jobs_.clear();
    entriesSeen_ = 0;
    filesKnown_ = 0;
    events_ = 0;
    lastTick_ = {0, 0};
    running_ = true;
    jobs_.push_back({true, path, (std::filesystem::path(directory) / name).string(), name, 0});
    stallTimer_.start(limits_.stall);
    next();
    return true;
}

bool FolderDownload::takeListing(ReplyKind kind, const std::vector<ListingEntry>& entries) {
    if (!running_ || waiting_ != Waiting::Listing || kind != ReplyKind::FolderListing) {
        return false;
    }
    waiting_ = Waiting::Nothing;
    ++events_;
    queueEntries(current_, entries);
    scheduleNext();
    return true;
}

void FolderDownload::queueEntries(const Job& folder, const std::vector<ListingEntry>& entries) {
    std::error_code ec;
    std::filesystem::create_directories(folder.directory, ec);
    if (ec) {
        ++result_.skipped;
        return;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entriesSeen_ == limits_.maxEntries) {
            result_.skipped += entries.size() - i;
            return;
        }
        ++entriesSeen_;
        const bool isFolder = entries[i].size.empty();
        const std::string name = localName(entries[i]);
        if (!isSafeDownloadName(name) || (isFolder && folder.depth == limits_.maxDepth)) {
            ++result_.skipped;
            continue;
        }
        Job job{isFolder, folder.path + "\\" + std::to_string(i), folder.directory, name,
                folder.depth + 1};
        if (isFolder) {
            job.directory = (std::filesystem::path(folder.directory) / name).string();
        } else {
            ++filesKnown_;
        }
        jobs_.push_back(std::move(job));
    }
}

void FolderDownload::fileEnded(bool complete) {
    if (!running_ || waiting_ != Waiting::File) {
        return;
    }
    waiting_ = Waiting::Nothing;
    ++events_;
    ++(complete ? result_.filesDone : result_.filesFailed);
    if (onFile) {
        onFile((std::filesystem::path(current_.directory) / current_.name).string(), complete);
    }
    scheduleNext();
}

void FolderDownload::connectionEnded() {
    finish(false, "The connection ended");
}

void FolderDownload::takeOverClient() {
    client_.onListing = [this](ReplyKind kind, const std::vector<ListingEntry>& entries) {
        takeListing(kind, entries);
    };
    client_.onReset = [this] { connectionEnded(); };
    client_.files().onFinished = [this](const std::string&) { fileEnded(true); };
    client_.files().onInterrupted = [this](const std::string&) { fileEnded(false); };
}

// Run from the event loop rather than inside the callback that reported the last step: a
// reset reports the interrupted file before it closes the sockets.
void FolderDownload::scheduleNext() {
    QTimer::singleShot(0, &stallTimer_, [this] { next(); });
}

void FolderDownload::next() {
    if (!running_ || waiting_ != Waiting::Nothing) {
        return;
    }
    if (!client_.isConnected() || !client_.files().isOpen()) {
        finish(false, "The connection ended");
        return;
    }
    if (jobs_.empty()) {
        finish(true);
        return;
    }
    current_ = std::move(jobs_.front());
    jobs_.pop_front();
    if (current_.folder) {
        waiting_ = Waiting::Listing;
        client_.requestFolder(current_.path);
        return;
    }
    waiting_ = Waiting::File;
    switch (client_.download(current_.path, current_.directory, current_.name)) {
        case FileClient::StartResult::Started:
            return;
        case FileClient::StartResult::CannotCreate:
            fileEnded(false);
            return;
        default:
            waiting_ = Waiting::Nothing;
            finish(false, "Another download is running");
    }
}

void FolderDownload::watch() {
    const std::pair<std::uint64_t, std::uint64_t> now{events_, client_.files().received()};
    if (now != lastTick_) {
        lastTick_ = now;
        return;
    }
    finish(false, "The server stopped answering");
    // A late reply or late bytes would land in the wrong place: start afresh.
    client_.reset();
}

void FolderDownload::finish(bool complete, const std::string& failure) {
    if (!running_) {
        return;
    }
    running_ = false;
    waiting_ = Waiting::Nothing;
    stallTimer_.stop();
    jobs_.clear();
    result_.complete = complete;
    result_.failure = failure;
    if (onFinished) {
        onFinished(result_);
    }
}

}  // namespace tarnu
