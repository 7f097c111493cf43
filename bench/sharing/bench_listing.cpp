// The round trip of a listing of a folder with 2,000 entries from tarnu-share serve, against
// a bare loopback request of one byte answered with the same number of bytes by a plain Qt
// socket in another process (this program, started with --reply N). Median of 200 each.

#include <unistd.h>

#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "serve_process.h"
#include "sharing/protocol.h"

using namespace tarnu;
using namespace tarnu::bench;
namespace fs = std::filesystem;

namespace {

constexpr int kEntries = 2000;
constexpr int kRounds = 200;

// Answers every byte it reads with size bytes; prints its port first.
int replyServer(std::size_t size) {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    std::printf("%u\n", server.serverPort());
    std::fflush(stdout);
    const QByteArray reply(static_cast<qsizetype>(size), 'r');
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, [socket, &reply] {
            for (qsizetype n = socket->readAll().size(); n > 0; --n) {
                socket->write(reply);
            }
        });
        QObject::connect(socket, &QTcpSocket::disconnected, [] { QCoreApplication::quit(); });
    });
    return QCoreApplication::exec();
}

double bareMilliseconds(std::size_t size, const char* self) {
    QProcess child;
    child.start(self, {"--reply", QString::number(size)});
    child.waitForReadyRead(10000);
    const auto port = static_cast<std::uint16_t>(child.readLine().trimmed().toUInt());
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    runUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 10000);
    std::vector<double> rounds;
    for (int r = 0; r < kRounds; ++r) {
        std::size_t got = 0;
        const auto start = Clock::now();
        socket.write("x", 1);
        runUntil(
            [&] {
                got += static_cast<std::size_t>(socket.readAll().size());
                return got >= size;
            },
            10000);
        rounds.push_back(millisecondsSince(start));
    }
    socket.disconnectFromHost();
    child.waitForFinished(5000);
    return median(rounds);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--reply") {
        return replyServer(std::stoul(argv[2]));
    }
    const fs::path work =
        fs::temp_directory_path() / ("tarnu-bench-listing-" + std::to_string(::getpid()));
    fs::create_directories(work / "folder");
    std::vector<ListingEntry> entries;
    for (int i = 0; i < kEntries; ++i) {
        const std::string name = "entry-" + std::to_string(10000 + i) + ".txt";
        std::ofstream(work / "folder" / name) << name;
        entries.push_back({name, std::to_string(name.size())});
    }
    const std::size_t replySize =
        formatListingReply(ReplyKind::FolderListing, buildListing(entries)).size();

    std::vector<double> rounds;
    {
        ServeProcess serve({QString::fromStdString((work / "folder").string())},
                           QString::fromStdString((work / "serve.log").string()));
        Client client;
        serve.connect(client);
        for (int r = 0; r < kRounds; ++r) {
            rounds.push_back(listingMilliseconds(client, "\\0"));
        }
    }
    const double listing = median(rounds);
    const double bare = bareMilliseconds(replySize, argv[0]);
    std::printf("entries / reply bytes               %d / %zu\n", kEntries, replySize);
    std::printf("bare loopback, same bytes (median)  %.3f ms\n", bare);
    std::printf("tarnu listing round trip (median)   %.3f ms\n", listing);
    std::printf("tarnu listing / bare loopback       %.2fx\n", listing / bare);
    fs::remove_all(work);
    return 0;
}
