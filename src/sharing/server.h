#pragma once

// The sharing service: the control listener, answering requests from the shared tree, and
// the file listener it hands files to. Event-driven on the caller's thread; never blocks.

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "document/message_source.h"
#include "document/shared_files.h"
#include "sharing/file_server.h"
#include "sharing/protocol.h"
#include "sharing/sharing_log.h"

namespace tarnu {

inline constexpr std::string_view kServerLogTable = "ServerLog.sl";

class Server {
public:
    // All four must outlive the server.
    Server(const SharedTree& shared, MessageSource& messages, SharingLog& log);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Opens the control listener and then the file listener; false when either cannot listen
    // (both are closed again then).
    bool start(const QHostAddress& address = QHostAddress::Any,
               std::uint16_t controlPort = kControlPort, std::uint16_t filePort = kFilePort);
    // Closes both listeners and every connection; logs only when sharing was on.
    void stop();
    bool isListening() const { return listener_.isListening(); }
    std::uint16_t controlPort() const { return listener_.serverPort(); }
    std::uint16_t filePort() const { return files_.port(); }
    std::size_t connectionCount() const { return connections_.size(); }
    bool hasFileConnection() const { return files_.hasConnection(); }
    // The last listing sent, until the client acknowledges it.
    const std::string& pendingReply() const { return pending_; }

    // Beyond these, new control connections are closed at once.
    void setMaxConnections(std::size_t count) { maxConnections_ = count; }
    // A control connection silent for this long is closed.
    void setIdleLimit(std::chrono::milliseconds limit);

    // A shared file that cannot be read for sending; the text is for the user.
    std::function<void(const std::string&)> onError;

private:
    struct Connection {
        std::string buffer;
        std::chrono::steady_clock::time_point lastHeard;
        std::uint64_t serial = 0;  // order of acceptance
    };

    void accept();
    void read(QTcpSocket* socket);
    void handle(QTcpSocket* socket, const Request& request);
    void sendListing(QTcpSocket* socket, ReplyKind kind, const Node* folder);
    void sendFile(QTcpSocket* socket, const Node* item);
    void drop(QTcpSocket* socket);
    QTcpSocket* newestFrom(const QHostAddress& address) const;
    void sweepIdle();
    std::string logText(int line) { return messages_.message(kServerLogTable, line); }

    const SharedTree& shared_;
    MessageSource& messages_;
    SharingLog& log_;
    QTcpServer listener_;
    FileServer files_;
    std::map<QTcpSocket*, Connection> connections_;
    std::string pending_;
    // The control connection whose client opened the file connection: file bytes go out
    // only at its request. Told apart by the peer's address; among connections from one
    // address, the newest.
    QTcpSocket* fileOwner_ = nullptr;
    std::uint64_t accepted_ = 0;
    std::size_t maxConnections_ = 64;
    std::chrono::milliseconds idleLimit_{std::chrono::minutes(30)};
    QTimer sweeper_;
};

}  // namespace tarnu
