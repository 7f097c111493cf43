#include "sharing/server.h"

#include <QFileInfo>

#include <algorithm>

#include "sharing/shared_listing.h"

namespace tarnu {

namespace {

// Bytes a connection may hold unread: a request never needs more than two header fields,
// so a peer that floods without "#" is cut off instead of growing memory.
constexpr qint64 kReadBufferSize = 4 * kMaxFieldLength;

std::string dottedAddress(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return (isV4 ? QHostAddress(v4) : address).toString().toStdString();
}

bool sameHost(const QHostAddress& a, const QHostAddress& b) {
    return a.isEqual(b, QHostAddress::TolerantConversion);
}

std::int64_t sizeOnDisk(std::string_view path) {
    const QFileInfo info(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    return info.isFile() ? info.size() : -1;
}

}  // namespace

Server::Server(const SharedTree& shared, MessageSource& messages, SharingLog& log)
    : shared_(shared), messages_(messages), log_(log) {
    QObject::connect(&listener_, &QTcpServer::newConnection, &listener_, [this] { accept(); });
    QObject::connect(&sweeper_, &QTimer::timeout, &sweeper_, [this] { sweepIdle(); });
    setIdleLimit(idleLimit_);
    files_.onConnected = [this] { fileOwner_ = newestFrom(files_.peerAddress()); };
}

Server::~Server() {
    for (auto& [socket, connection] : connections_) {
        socket->disconnect();
        socket->abort();
        delete socket;
    }
}

void Server::setIdleLimit(std::chrono::milliseconds limit) {
    idleLimit_ = limit;
    sweeper_.setInterval(
        std::max<std::chrono::milliseconds>(limit / 4, std::chrono::milliseconds(50)));
}

bool Server::start(const QHostAddress& address, std::uint16_t controlPort, std::uint16_t filePort) {
    pending_.clear();
    log_.add(logText(0));
    if (!listener_.listen(address, controlPort) || !files_.listen(address, filePort)) {
        listener_.close();
        files_.close();
        return false;
    }
    sweeper_.start();
    return true;
}

void Server::stop() {
    files_.close();
    if (listener_.isListening()) {
        log_.add(logText(1));
        listener_.close();
    }
    sweeper_.stop();
    while (!connections_.empty()) {
        drop(connections_.begin()->first);
    }
    pending_.clear();
}

void Server::accept() {
    while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        if (connections_.size() >= maxConnections_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setReadBufferSize(kReadBufferSize);
        // A reply leaves as header and then listing; without this the listing waits for the
        // client's delayed acknowledgement of the header.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connections_[socket] = {{}, std::chrono::steady_clock::now(), ++accepted_};
        // The file connection may be taken before its control connection.
        if (!fileOwner_ && files_.hasConnection() &&
            sameHost(files_.peerAddress(), socket->peerAddress())) {
            fileOwner_ = socket;
        }
        log_.add(logText(2) + dottedAddress(socket->peerAddress()));
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
        // An error or a close ends only that connection; the other clients keep theirs.
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            if (connections_.count(socket)) {
                log_.add(logText(3));
                drop(socket);
            }
        });
        QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [this, socket] {
            if (connections_.count(socket)) {
                log_.add(logText(3));
                drop(socket);
            }
        });
    }
}

QTcpSocket* Server::newestFrom(const QHostAddress& address) const {
    QTcpSocket* newest = nullptr;
    std::uint64_t serial = 0;
    for (const auto& [socket, connection] : connections_) {
        if (connection.serial > serial && sameHost(socket->peerAddress(), address)) {
            newest = socket;
            serial = connection.serial;
        }
    }
    return newest;
}

void Server::drop(QTcpSocket* socket) {
    if (socket == fileOwner_) {
        // Its file connection is of no use to anyone else, and would hold the one place.
        fileOwner_ = nullptr;
        files_.closeConnection();
    }
    connections_.erase(socket);
    socket->disconnect();
    socket->abort();
    socket->deleteLater();
}

void Server::read(QTcpSocket* socket) {
    auto found = connections_.find(socket);
    if (found == connections_.end()) {
        return;
    }
    found->second.lastHeard = std::chrono::steady_clock::now();
    found->second.buffer += socket->readAll().toStdString();
    // Looked up again after each request: reporting a failure may run a nested event loop,
    // in which this connection can close.
    while ((found = connections_.find(socket)) != connections_.end()) {
        std::string& buffer = found->second.buffer;
        const RequestParse parsed = parseRequest(buffer);
        if (parsed.status == ParseStatus::Incomplete) {
            return;
        }
        if (parsed.status == ParseStatus::Bad) {
            drop(socket);
            return;
        }
        buffer.erase(0, parsed.consumed);
        handle(socket, parsed.request);
    }
}

void Server::handle(QTcpSocket* socket, const Request& request) {
    switch (request.kind) {
        case RequestKind::Root:
            sendListing(socket, ReplyKind::RootListing, shared_.root());
            log_.add(logText(4));
            break;
        case RequestKind::Folder:
            if (const Node* folder = resolveItem(shared_, request.path, ItemWanted::Folder)) {
                sendListing(socket, ReplyKind::FolderListing, folder);
                log_.add(logText(5) + shared_.displayPath(folder));
            }
            break;
        case RequestKind::File:
            if (const Node* file = resolveItem(shared_, request.path, ItemWanted::File)) {
                sendFile(socket, file);
            }
            break;
        case RequestKind::Ack:
            pending_.clear();
            log_.add(logText(7));
            break;
        case RequestKind::Unknown:
            break;
    }
}

void Server::sendListing(QTcpSocket* socket, ReplyKind kind, const Node* folder) {
    pending_ = listingOf(shared_, folder);
    const std::string reply = formatListingReply(kind, pending_);
    const std::size_t header = reply.size() - pending_.size();
    socket->write(reply.data(), static_cast<qint64>(header));
    socket->write(pending_.data(), static_cast<qint64>(pending_.size()));
}

void Server::sendFile(QTcpSocket* socket, const Node* item) {
    const std::string fullName(item->text(kSharedFullName));
    // Only on the asker's own file connection: another client would take the bytes for the
    // file it asks for next.
    const FileServer::SendResult result =
        socket == fileOwner_ ? files_.sendFile(fullName) : FileServer::SendResult::NoConnection;
    // A file that does not go out is announced with the size -1, which ends the download at
    // the other side instead of leaving it waiting for bytes that never come.
    const std::int64_t size = result == FileServer::SendResult::Started ? sizeOnDisk(fullName) : -1;
    const std::string announcement = formatFileAnnouncement(fileNamePart(fullName), size);
    socket->write(announcement.data(), static_cast<qint64>(announcement.size()));
    if (result == FileServer::SendResult::Started) {
        log_.add(logText(6) + shared_.displayPath(item));
    } else if (result == FileServer::SendResult::CannotOpen && onError) {
        // The server's own file has gone: the user here is told. The other failures are
        // the asking client's, which any peer could cause at will.
        onError("Cannot open file " + fullName + " for sending");
    }
}

void Server::sweepIdle() {
    const auto now = std::chrono::steady_clock::now();
    std::vector<QTcpSocket*> idle;
    for (const auto& [socket, connection] : connections_) {
        if (now - connection.lastHeard >= idleLimit_) {
            idle.push_back(socket);
        }
    }
    for (QTcpSocket* socket : idle) {
        log_.add(logText(3));
        drop(socket);
    }
}

}  // namespace tarnu
