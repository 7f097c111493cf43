#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/instance.h"

namespace tarnu {

// What a running copy allows its second copies. Only the user's own processes reach it, but
// a stuck or hostile one must not hold its memory for ever.
struct LocalInstanceLimits {
    int connections = 16;  // open at once; more are closed at once
    int stallMs = 3000;    // a connection must deliver its whole text by then
    int queuedTexts = 64;  // taken in but not yet handled
    std::int64_t queuedBytes = 1 << 20;
};

// One running copy per user, kept in a private runtime directory: a lock file marks the
// running copy, a local socket of its own receives forwarded texts, and "ZuH.ini" (section
// "Tarnu", key "Ext") names that socket for second copies. Needs a QCoreApplication; the
// running copy serves from the event loop of the thread that created it.
//
// Wire form of one forwarded text: its length plus one as four little-endian bytes, the
// text, a NUL. The running copy answers one byte as soon as the whole text is in, before it
// acts on it: 0 when it took the text, 1 when it refused it; then it closes the connection.
class LocalInstance final : public Instance {
public:
    using Limits = LocalInstanceLimits;

    // Longest message the running copy accepts, the NUL included.
    static constexpr int kMaxMessage = static_cast<int>(kForwardedTextLimit) + 1;
    // How long a second copy waits for the running copy to take its text in.
    static constexpr int kDefaultWaitMs = 3000;
    // How soon a text that found the program not ready is offered again.
    static constexpr int kReadyPollMs = 100;

    // runtimeDir empty: the user's private runtime directory (see privateRuntimeDirectory).
    // An explicit directory is used only when it belongs to this user and nobody else may
    // enter it. waitMs bounds how long a second copy waits for the running copy's answer.
    explicit LocalInstance(std::string runtimeDir = {}, int waitMs = kDefaultWaitMs,
                           Limits limits = Limits());
    // Releases.
    ~LocalInstance() override;
    LocalInstance(const LocalInstance&) = delete;
    LocalInstance& operator=(const LocalInstance&) = delete;

    bool becomeRunningCopy() override;
    bool forward(const std::string& text) override;
    void setForwardedHandler(ForwardedHandler handler) override;
    void setReadyCheck(std::function<bool()> ready) override;
    void release() override;

    // The directory in use, empty when none fits.
    const std::string& directory() const;
    // The running copy's socket path, empty while this is not the running copy or it does
    // not listen.
    std::string endpoint() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A directory where the user's copies meet, that only this user can enter: XDG_RUNTIME_DIR
// when it is a real directory of this user's with no access for others; otherwise
// "tarnu-UID" in the temporary directory, created with mode 0700 when missing and used only
// when it passes the same checks (a symbolic link or somebody else's directory is refused).
// Empty when neither fits.
std::string privateRuntimeDirectory();

}  // namespace tarnu
