#pragma once

#include <memory>
#include <string>

#include "platform/instance.h"

namespace tarnu {

// One running copy per user, kept in a private runtime directory: a lock file marks the
// running copy, a local socket of its own receives forwarded texts, and "ZuH.ini" (section
// "Tarnu", key "Ext") names that socket for second copies. Needs a QCoreApplication; the
// running copy serves from the event loop of the thread that created it.
//
// Wire form of one forwarded text: its length plus one as four little-endian bytes, the
// text, a NUL. The running copy answers one byte (0) once its handler has returned and
// closes the connection.
class LocalInstance final : public Instance {
public:
    // No limit on the wait of a second copy: the running copy's handler may load a ZuBook.
    static constexpr int kWaitForever = -1;

    // runtimeDir empty: the user's runtime directory. The directory is used only when it
    // belongs to this user and nobody else may enter it. handledTimeoutMs bounds how long a
    // second copy waits for the running copy's answer.
    explicit LocalInstance(std::string runtimeDir = {}, int handledTimeoutMs = kWaitForever);
    // Releases.
    ~LocalInstance() override;
    LocalInstance(const LocalInstance&) = delete;
    LocalInstance& operator=(const LocalInstance&) = delete;

    bool becomeRunningCopy() override;
    bool forward(const std::string& text) override;
    void setForwardedHandler(ForwardedHandler handler) override;
    void release() override;

    // The directory in use, empty when none fits.
    const std::string& directory() const;
    // The running copy's socket path, empty while this is not the running copy or it does
    // not listen.
    std::string endpoint() const;

    // Longest message the running copy accepts, the NUL included.
    static constexpr int kMaxMessage = 64 * 1024;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tarnu
