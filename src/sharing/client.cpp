#include "sharing/client.h"

#include <cstdlib>

namespace tarnu {

bool probe(const QHostAddress& address, std::uint16_t port, std::chrono::milliseconds limit) {
    QTcpSocket socket;
    socket.connectToHost(address, port);
    const bool reachable = socket.waitForConnected(static_cast<int>(limit.count()));
    socket.abort();
    return reachable;
}

Client::Client() {
    QObject::connect(&socket_, &QTcpSocket::connected, &socket_, [this] {
        wasConnected_ = true;
        // "E#" and the next request go out back to back; held for the server's delayed
        // acknowledgement, every listing took 40 ms more.
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        buffer_.clear();
        files_.connectTo(address_, filePort_);
        if (onConnected) {
            onConnected();
        }
        requestRoot();
    });
    QObject::connect(&socket_, &QTcpSocket::readyRead, &socket_, [this] { read(); });
    QObject::connect(&socket_, &QTcpSocket::disconnected, &socket_, [this] { reset(); });
    QObject::connect(&socket_, &QTcpSocket::errorOccurred, &socket_,
                     [this](QAbstractSocket::SocketError error) { socketError(error); });
    files_.onError = [this] { reset(); };
}

Client::~Client() {
    socket_.disconnect();
    socket_.abort();
}

void Client::connectTo(const QHostAddress& address, std::uint16_t controlPort,
                       std::uint16_t filePort) {
    reset();
    address_ = address;
    filePort_ = filePort;
    wasConnected_ = false;
    socket_.connectToHost(address, controlPort);
}

void Client::reset() {
    if (resetting_) {
        return;  // aborting the socket reports its close again
    }
    resetting_ = true;
    const bool wasOpen = isOpen() || files_.downloading();
    files_.close();
    socket_.abort();
    buffer_.clear();
    resetting_ = false;
    if (onProgress) {
        onProgress(0);
    }
    if (wasOpen && onReset) {
        onReset();
    }
}

void Client::socketError(QAbstractSocket::SocketError error) {
    if (error == QAbstractSocket::RemoteHostClosedError) {
        reset();
        return;
    }
    const bool connecting = !wasConnected_;
    reset();
    if (onFailure) {
        onFailure(connecting ? std::string(kServiceNotFound)
                             : "Asynchronous socket error " + std::to_string(error));
    }
}

void Client::send(const std::string& bytes) {
    if (isConnected()) {
        socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
}

void Client::requestRoot() {
    send(formatRequest(RequestKind::Root));
}

void Client::requestFolder(const std::string& path) {
    send(formatRequest(RequestKind::Folder, path));
}

FileClient::StartResult Client::download(const std::string& path, const std::string& directory,
                                         const std::string& name) {
    if (!isConnected()) {
        return FileClient::StartResult::Busy;
    }
    const FileClient::StartResult started = files_.start(directory, name);
    if (started == FileClient::StartResult::Started) {
        send(formatRequest(RequestKind::File, path));
    }
    return started;
}

void Client::read() {
    buffer_ += socket_.readAll().toStdString();
    while (!buffer_.empty()) {
        const ReplyParse parsed = parseReply(buffer_);
        if (parsed.status == ParseStatus::Incomplete) {
            reportProgress();
            return;
        }
        if (parsed.status == ParseStatus::Bad) {
            reset();
            return;
        }
        buffer_.erase(0, parsed.consumed);
        if (parsed.reply.kind == ReplyKind::Unknown) {
            continue;
        }
        send(formatRequest(RequestKind::Ack));
        if (onProgress) {
            onProgress(0);
        }
        if (!act(parsed.reply)) {
            reset();
            return;
        }
    }
}

bool Client::act(const Reply& reply) {
    if (reply.kind == ReplyKind::FileAnnouncement) {
        const auto announced = parseFileAnnouncement(reply.payload);
        if (!announced) {
            return false;
        }
        if (onAnnouncement) {
            onAnnouncement(*announced);
        }
        files_.setAnnouncedSize(announced->size);
        return true;
    }
    const auto entries = parseListing(reply.payload);
    if (!entries) {
        return false;
    }
    if (onListing) {
        onListing(reply.kind, *entries);
    }
    return true;
}

void Client::reportProgress() {
    // The header is complete once its second "#" is in; the share is of the payload after it.
    const std::size_t first = buffer_.find('#');
    const std::size_t second = first == std::string::npos ? first : buffer_.find('#', first + 1);
    if (second == std::string::npos || !onProgress) {
        return;
    }
    const std::size_t expected =
        std::strtoull(buffer_.substr(first + 1, second - first - 1).c_str(), nullptr, 10);
    if (expected != 0) {
        onProgress(static_cast<int>((buffer_.size() - second - 1) * 100 / expected));
    }
}

}  // namespace tarnu
