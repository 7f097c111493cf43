#include "sharing/ftp_checks.h"

namespace tarnu {

FtpChecks::FtpChecks(std::vector<FtpServerEntry>& entries, FtpClient& client,
                     std::function<std::string()> now)
    : entries_(entries), client_(client), now_(std::move(now)) {
    client_.onAuthenticationNeeded = [this] {
        client_.setCredentials(std::string(kAnonymousUser), std::string(kAnonymousPassword));
        answered_ = true;
    };
    client_.onLoggedIn = [this] {
        if (current_ != kNone) {
            mark(current_, true);
        }
    };
    client_.onDone = [this](bool loggedIn) { done(loggedIn); };
}

void FtpChecks::checkOne(std::size_t index) {
    if (index >= entries_.size() || busy()) {
        return;
    }
    all_ = false;
    stopping_ = false;
    answered_ = false;
    start(index);
}

void FtpChecks::checkAll() {
    if (busy()) {
        return;
    }
    all_ = true;
    stopping_ = false;
    if (entries_.empty()) {
        done(false);
        return;
    }
    start(0);
}

void FtpChecks::stop() {
    stopping_ = all_;
}

void FtpChecks::start(std::size_t index) {
    current_ = index;
    if (onStatus) {
        onStatus("Check FTP: " + entries_[index].host);
    }
    client_.probe(entries_[index].host);
}

void FtpChecks::mark(std::size_t index, bool live) {
    entries_[index].status = ftpStatusLine(now_(), live);
    if (onMarked) {
        onMarked(index, live);
    }
}

void FtpChecks::done(bool loggedIn) {
    const std::size_t index = current_;
    current_ = kNone;
    if (index != kNone && !loggedIn) {
        // A single check counts a server that asked for credentials as live.
        mark(index, !all_ && answered_);
    }
    if (all_ && !stopping_ && index != kNone && index + 1 < entries_.size()) {
        start(index + 1);
        return;
    }
    if (onStatus) {
        onStatus("");
    }
    const bool wasAll = all_;
    all_ = stopping_ = false;
    if (wasAll && onAllDone) {
        onAllDone();
    }
}

}  // namespace tarnu
