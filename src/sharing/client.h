#pragma once

// The browsing side: the control connection to one server, its replies, and the file
// connection beside it. Event-driven on the caller's thread; never blocks.

#include <QHostAddress>
#include <QTcpSocket>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sharing/file_client.h"
#include "sharing/protocol.h"

namespace tarnu {

inline constexpr std::string_view kServiceNotFound =
    "Host not found or Tarnu shared files service stopped at the remote host";

// Whether a TCP connection to address:port opens within the limit. Blocks for up to the
// limit; nothing is sent.
bool probe(const QHostAddress& address, std::uint16_t port,
           std::chrono::milliseconds limit = std::chrono::seconds(1));

class Client {
public:
    Client();
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Opens the control and the file connection; "GR#" goes out once connected.
    void connectTo(const QHostAddress& address, std::uint16_t controlPort = kControlPort,
                   std::uint16_t filePort = kFilePort);
    // Ends both connections and any download (kept partial). Tells onReset when it was open.
    void reset();
    bool isOpen() const { return socket_.state() != QAbstractSocket::UnconnectedState; }
    bool isConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }
    const QHostAddress& address() const { return address_; }

    void requestRoot();
    void requestFolder(const std::string& path);
    // Creates the download file and asks for the file at path.
    FileClient::StartResult download(const std::string& path, const std::string& directory,
                                     const std::string& name);
    FileClient& files() { return files_; }

    std::function<void()> onConnected;
    std::function<void(ReplyKind, const std::vector<ListingEntry>&)> onListing;
    std::function<void(const FileAnnouncement&)> onAnnouncement;
    // Percent of the reply being received.
    std::function<void(int)> onProgress;
    // The connections ended (reset, close or failure).
    std::function<void()> onReset;
    // A failure the user is told about, after the reset.
    std::function<void(const std::string&)> onFailure;

private:
    void read();
    bool act(const Reply& reply);
    void reportProgress();
    void socketError(QAbstractSocket::SocketError error);
    void send(const std::string& bytes);

    QTcpSocket socket_;
    FileClient files_;
    QHostAddress address_;
    std::uint16_t filePort_ = kFilePort;
    std::string buffer_;
    bool wasConnected_ = false;
    bool resetting_ = false;
};

}  // namespace tarnu
