#pragma once

// "Check current FTP" and "Check all FTP" over the FTP list: which server is live, by an
// anonymous login, and the answered mark that the first check after opening the list sets.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "sharing/ftp_client.h"
#include "sharing/ftp_list.h"

namespace tarnu {

class FtpChecks {
public:
    // The entries and the client must outlive the checks; now gives the date and time text.
    FtpChecks(std::vector<FtpServerEntry>& entries, FtpClient& client,
              std::function<std::string()> now);

    // Judges one server; a server that asked for credentials counts as live even when it then
    // refuses them.
    void checkOne(std::size_t index);
    // Judges every server by its login alone, one after the other; stop() ends the run
    // before the next server.
    void checkAll();
    void stop();
    bool checkingAll() const { return all_ && !stopping_; }
    bool busy() const { return current_ != kNone; }

    // A server's mark changed: image 5 when live, 6 when not.
    std::function<void(std::size_t index, bool live)> onMarked;
    // Text for the main status bar ("" to clear).
    std::function<void(const std::string&)> onStatus;
    // The check of all ended (run out or stopped); the list is to be saved.
    std::function<void()> onAllDone;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    void start(std::size_t index);
    void mark(std::size_t index, bool live);
    void done(bool loggedIn);

    std::vector<FtpServerEntry>& entries_;
    FtpClient& client_;
    std::function<std::string()> now_;
    std::size_t current_ = kNone;
    bool all_ = false;
    bool stopping_ = false;
    bool answered_ = false;
};

}  // namespace tarnu
