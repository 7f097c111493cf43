#pragma once

// tarnu-share serve as a child process on free ports of 127.0.0.1, and a client connected to
// it, for the sharing benchmarks.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "sharing/client.h"

namespace tarnu::bench {

using Clock = std::chrono::steady_clock;

inline double millisecondsSince(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

inline bool runUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return done();
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

class ServeProcess {
public:
    // The log goes to a file: a pipe left unread would stall the server once full.
    ServeProcess(const QStringList& operands, const QString& logFile) {
        process_.setStandardOutputFile(logFile);
        process_.start(TARNU_SHARE, QStringList{"serve", "--bind", "127.0.0.1", "--port", "0",
                                                "--file-port", "0"} +
                                        operands);
        const QRegularExpression ports("control port (\\d+), file port (\\d+)");
        QRegularExpressionMatch match;
        QDeadlineTimer deadline(10000);
        while (!(match = ports.match(readAll(logFile))).hasMatch() && !deadline.hasExpired()) {
            QThread::msleep(10);
        }
        if (!match.hasMatch()) {
            std::fprintf(stderr, "tarnu-share serve did not start\n");
            std::exit(1);
        }
        controlPort = static_cast<std::uint16_t>(match.captured(1).toUInt());
        filePort = static_cast<std::uint16_t>(match.captured(2).toUInt());
    }
    ~ServeProcess() {
        process_.terminate();
        process_.waitForFinished(5000);
    }

    // Connects the client and waits for the root listing.
    void connect(Client& client) {
        bool listed = false;
        client.onListing = [&](ReplyKind, const std::vector<ListingEntry>&) { listed = true; };
        client.connectTo(QHostAddress::LocalHost, controlPort, filePort);
        if (!runUntil([&] { return listed && client.files().isOpen(); }, 10000)) {
            std::fprintf(stderr, "no root listing from tarnu-share serve\n");
            std::exit(1);
        }
        client.onListing = nullptr;
    }

    std::uint16_t controlPort = 0;
    std::uint16_t filePort = 0;

private:
    static QString readAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QProcess process_;
};

// The round trip of one folder listing: request sent until the listing is parsed.
inline double listingMilliseconds(Client& client, const std::string& path) {
    bool listed = false;
    client.onListing = [&](ReplyKind, const std::vector<ListingEntry>&) { listed = true; };
    const auto start = Clock::now();
    client.requestFolder(path);
    if (!runUntil([&] { return listed; }, 10000)) {
        return -1.0;
    }
    return millisecondsSince(start);
}

}  // namespace tarnu::bench
