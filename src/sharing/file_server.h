#pragma once

// The file listener: one connection at a time, on which shared files go out as raw bytes,
// one file after the other, in pieces as the socket takes them.

#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tarnu {

class FileServer {
public:
    FileServer();
    ~FileServer();
    FileServer(const FileServer&) = delete;
    FileServer& operator=(const FileServer&) = delete;

    bool listen(const QHostAddress& address, std::uint16_t port);
    void close();
    bool isListening() const { return listener_.isListening(); }
    std::uint16_t port() const { return listener_.serverPort(); }
    bool hasConnection() const;
    QHostAddress peerAddress() const;
    // Drops the connection (and the file going out on it); the listener stays open.
    void closeConnection();
    bool sending() const { return source_ != nullptr; }

    // A connection was taken as the file connection.
    std::function<void()> onConnected;

    enum class SendResult { Started, Busy, NoConnection, CannotOpen };
    // Starts sending the file; an earlier file still going out keeps the connection.
    SendResult sendFile(const std::string& path);

private:
    void accept();
    void pump();
    void releaseSource();

    QTcpServer listener_;
    QPointer<QTcpSocket> connection_;
    std::unique_ptr<QFile> source_;
};

}  // namespace tarnu
