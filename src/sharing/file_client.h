#pragma once

// The client's file connection: writes the bytes that arrive into the download file until
// the announced size is reached. Bytes that come before the announcement are kept; bytes
// that come while no file is asked for are dropped.

#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarnu {

class FileClient {
public:
    FileClient();
    ~FileClient();
    FileClient(const FileClient&) = delete;
    FileClient& operator=(const FileClient&) = delete;

    void connectTo(const QHostAddress& address, std::uint16_t port);
    // Closes the connection and the download file, which stays on disk as far as it came.
    void close();
    bool downloading() const { return file_ != nullptr; }
    bool isOpen() const { return socket_.state() != QAbstractSocket::UnconnectedState; }
    // Bytes of the current download so far.
    std::uint64_t received() const { return received_; }

    enum class StartResult { Started, Busy, UnsafeName, CannotCreate };
    // Creates directory (with its parents) and the file name in it, replacing a file of that
    // name. The name comes from the peer: one that could leave the directory is refused.
    StartResult start(const std::string& directory, const std::string& name);
    // The size from the file announcement; a negative size (the server lost the file) ends
    // the download as failed.
    void setAnnouncedSize(std::int32_t size);

    // Percent of the current file, after each piece; 0 when a download ends.
    std::function<void(int)> onProgress;
    std::function<void(const std::string& path)> onFinished;
    // The download ended before its last byte; the partial file stays.
    std::function<void(const std::string& path)> onInterrupted;
    // The connection failed (not a plain close).
    std::function<void()> onError;

private:
    void read();
    void finishIfComplete();
    void endDownload(bool complete);

    QTcpSocket socket_;
    std::unique_ptr<QFile> file_;
    std::vector<char> piece_;
    std::int64_t announced_ = -1;  // -1 until the announcement
    std::uint64_t received_ = 0;
};

}  // namespace tarnu
