#include "sharing/file_server.h"

namespace tarnu {

namespace {

constexpr qint64 kPieceSize = 4096;
// Pieces handed to the socket ahead of the network: enough to keep loopback busy, little
// enough that a file never sits in memory.
constexpr qint64 kInFlight = 16 * kPieceSize;

}  // namespace

FileServer::FileServer() {
    QObject::connect(&listener_, &QTcpServer::newConnection, &listener_, [this] { accept(); });
}

FileServer::~FileServer() {
    close();
}

bool FileServer::listen(const QHostAddress& address, std::uint16_t port) {
    return listener_.isListening() || listener_.listen(address, port);
}

void FileServer::close() {
    listener_.close();
    closeConnection();
}

void FileServer::closeConnection() {
    releaseSource();
    if (QTcpSocket* socket = connection_) {
        connection_ = nullptr;
        socket->disconnect();
        socket->abort();
        socket->deleteLater();
    }
}

bool FileServer::hasConnection() const {
    return connection_ && connection_->state() == QAbstractSocket::ConnectedState;
}

QHostAddress FileServer::peerAddress() const {
    return connection_ ? connection_->peerAddress() : QHostAddress();
}

void FileServer::accept() {
    while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        if (connection_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connection_ = socket;
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [this] { pump(); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            releaseSource();
            if (connection_ == socket) {
                connection_ = nullptr;
            }
            socket->deleteLater();
        });
        // The client never writes here; anything it sends is dropped unread.
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        if (onConnected) {
            onConnected();
        }
    }
}

FileServer::SendResult FileServer::sendFile(const std::string& path) {
    if (!hasConnection()) {
        return SendResult::NoConnection;
    }
    if (source_) {
        return SendResult::Busy;
    }
    auto file = std::make_unique<QFile>(QString::fromStdString(path));
    if (!file->open(QIODevice::ReadOnly)) {
        return SendResult::CannotOpen;
    }
    source_ = std::move(file);
    pump();
    return SendResult::Started;
}

void FileServer::pump() {
    char piece[kPieceSize];
    while (source_ && connection_ && connection_->bytesToWrite() < kInFlight) {
        const qint64 n = source_->read(piece, kPieceSize);
        if (n <= 0) {
            releaseSource();
            return;
        }
        if (connection_->write(piece, n) != n) {
            releaseSource();
            connection_->abort();
            return;
        }
    }
}

void FileServer::releaseSource() {
    source_.reset();
}

}  // namespace tarnu
