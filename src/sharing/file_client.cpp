#include "sharing/file_client.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "sharing/protocol.h"

namespace tarnu {

namespace {

// What one read takes from the socket. The server still sends pieces of 4096 bytes; taking
// what has piled up in one go saves a write to disk and a progress report per piece, which
// held a loopback download well below a plain socket copy.
constexpr qint64 kReadSize = 64 * 1024;

}  // namespace

FileClient::FileClient() : piece_(kReadSize) {
    QObject::connect(&socket_, &QTcpSocket::readyRead, &socket_, [this] { read(); });
    QObject::connect(&socket_, &QTcpSocket::disconnected, &socket_, [this] {
        if (file_) {
            endDownload(false);
        }
    });
    QObject::connect(&socket_, &QTcpSocket::errorOccurred, &socket_,
                     [this](QAbstractSocket::SocketError error) {
                         if (error != QAbstractSocket::RemoteHostClosedError && onError) {
                             onError();
                         }
                     });
}

FileClient::~FileClient() {
    socket_.disconnect();
    socket_.abort();
}

void FileClient::connectTo(const QHostAddress& address, std::uint16_t port) {
    socket_.connectToHost(address, port);
}

void FileClient::close() {
    if (file_) {
        endDownload(false);
    }
    socket_.abort();
}

FileClient::StartResult FileClient::start(const std::string& directory, const std::string& name) {
    if (file_) {
        return StartResult::Busy;
    }
    if (!isSafeDownloadName(name)) {
        return StartResult::UnsafeName;
    }
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    const std::string path = (std::filesystem::path(directory) / name).string();
    auto file = std::make_unique<QFile>(QString::fromStdString(path));
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        return StartResult::CannotCreate;
    }
    // Bytes already waiting came before this file was asked for: they are none of its.
    socket_.readAll();
    file_ = std::move(file);
    announced_ = -1;
    received_ = 0;
    return StartResult::Started;
}

void FileClient::setAnnouncedSize(std::int32_t size) {
    if (!file_) {
        return;
    }
    if (size < 0) {
        endDownload(false);
        return;
    }
    announced_ = size;
    finishIfComplete();
}

void FileClient::read() {
    if (!file_) {
        // No file was asked for, so these bytes belong to none: a server that sends another
        // client's file here, or the tail of a file that grew while it went out.
        socket_.readAll();
        return;
    }
    while (file_ && socket_.bytesAvailable() > 0) {
        const qint64 n = socket_.read(piece_.data(), kReadSize);
        if (n <= 0) {
            return;
        }
        received_ += static_cast<std::uint64_t>(n);
        if (file_->write(piece_.data(), n) != n) {
            endDownload(false);
            return;
        }
        if (announced_ > 0 && onProgress) {
            onProgress(static_cast<int>(std::lround(static_cast<double>(received_) * 100.0 /
                                                    static_cast<double>(announced_))));
        }
        finishIfComplete();
    }
}

void FileClient::finishIfComplete() {
    if (file_ && announced_ >= 0 && received_ >= static_cast<std::uint64_t>(announced_)) {
        endDownload(true);
    }
}

void FileClient::endDownload(bool complete) {
    const std::string path = file_->fileName().toStdString();
    file_->close();
    file_.reset();
    announced_ = -1;
    received_ = 0;
    if (onProgress) {
        onProgress(0);
    }
    const auto& done = complete ? onFinished : onInterrupted;
    if (done) {
        done(path);
    }
}

}  // namespace tarnu
