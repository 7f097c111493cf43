// Server and client on real sockets over loopback, each test on free ports.

#include <gtest/gtest.h>

#include "sharing/event_loop.h"
#include "sharing/test_bytes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <filesystem>
#include <functional>
#include <optional>

#include "sharing/client.h"
#include "sharing/server.h"
#include "sharing/shared_listing.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

using namespace std::string_literals;

using testing::appArgc;
using testing::appArgv;
using testing::pattern;
using testing::waitUntil;

class PeerTest : public ::testing::Test {
protected:
    PeerTest() {
        std::filesystem::create_directories(dir / "share/docs");
        testing::writeFile(dir / "share/docs/big.bin", pattern(100000));
        testing::writeFile(dir / "share/a#b.txt", "hash");
        testing::writeFile(dir / "share/empty", "");
        shareDiskFolder(shared, shared.root(), dir / "share");
        EXPECT_TRUE(server.start(QHostAddress::LocalHost, 0, 0));
    }
    void connectClient(Client& client) {
        client.onListing = [this](ReplyKind kind, const std::vector<ListingEntry>& entries) {
            lastKind = kind;
            listing = entries;
        };
        client.connectTo(QHostAddress::LocalHost, server.controlPort(), server.filePort());
        ASSERT_TRUE(waitUntil([&] { return listing.has_value(); }));
    }
    std::optional<std::vector<ListingEntry>> nextListing(const std::function<void()>& ask) {
        listing.reset();
        ask();
        waitUntil([&] { return listing.has_value(); }, 500);
        return listing;
    }

    QCoreApplication app{appArgc, appArgv};
    testing::ScratchDir dir;
    AsciiCollation collation;
    SharedTree shared{collation};
    testing::FakeMessages messages;
    SharingLog log;
    Server server{shared, messages, log};
    ReplyKind lastKind = ReplyKind::Unknown;
    std::optional<std::vector<ListingEntry>> listing;
};

TEST_F(PeerTest, BrowsesDownloadsAndLogsNewestFirst) {
    Client client;
    connectClient(client);
    EXPECT_EQ(lastKind, ReplyKind::RootListing);
    ASSERT_EQ(listing, (std::vector<ListingEntry>{{":share", ""}}));
    auto share = nextListing([&] { client.requestFolder("\\0"); });
    EXPECT_EQ(lastKind, ReplyKind::FolderListing);
    ASSERT_EQ(share, (std::vector<ListingEntry>{{":docs", ""}, {"a#b.txt", "4"}, {"empty", "0"}}));
    EXPECT_FALSE(nextListing([&] { client.requestFolder("\\0\\1"); }));     // a file: no reply
    EXPECT_TRUE(waitUntil([&] { return server.pendingReply().empty(); }));  // acknowledged

    std::vector<std::string> finished;
    client.files().onFinished = [&](const std::string& path) { finished.push_back(path); };
    const std::string downloads = dir / "down/nested";
    ASSERT_EQ(client.download("\\0\\0\\0", downloads, "big.bin"), FileClient::StartResult::Started);
    EXPECT_EQ(client.download("\\0\\1", downloads, "a#b.txt"), FileClient::StartResult::Busy);
    ASSERT_TRUE(waitUntil([&] { return finished.size() == 1; }));
    EXPECT_EQ(testing::readFile(downloads + "/big.bin"), pattern(100000));
    // A "#" in the name and a file of no bytes both complete.
    ASSERT_EQ(client.download("\\0\\1", downloads, "a#b.txt"), FileClient::StartResult::Started);
    ASSERT_TRUE(waitUntil([&] { return finished.size() == 2; }));
    ASSERT_EQ(client.download("\\0\\2", downloads, "empty"), FileClient::StartResult::Started);
    ASSERT_TRUE(waitUntil([&] { return finished.size() == 3; }));
    EXPECT_EQ(testing::readFile(downloads + "/a#b.txt"), "hash");
    EXPECT_TRUE(std::filesystem::exists(downloads + "/empty"));

    client.reset();
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 0; }));
    const auto& lines = log.lines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_TRUE(lines.front().ends_with("] ServerLog.sl#3")) << lines.front();
    EXPECT_TRUE(lines.back().ends_with("] ServerLog.sl#0")) << lines.back();
    EXPECT_EQ(lines.back().front(), '[');
    EXPECT_TRUE(lines[lines.size() - 2].ends_with("ServerLog.sl#2127.0.0.1"));
    const auto fileLine = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.ends_with("ServerLog.sl#6:\\:share\\:docs\\big.bin");
    });
    EXPECT_NE(fileLine, lines.end());
    server.stop();
    EXPECT_TRUE(log.lines().front().ends_with("ServerLog.sl#1"));
}

TEST_F(PeerTest, MalformedPeersGetNothingAndOthersAreStillServed) {
    auto rawConnect = [&](std::uint16_t port) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(waitUntil([&] { return socket->state() == QAbstractSocket::ConnectedState; }));
        return socket;
    };
    // Garbage, a bad path, huge numbers: no reply. A megabyte without "#": dropped.
    auto noisy = rawConnect(server.controlPort());
    noisy->write("XY#GD#\\9#GD#\\99999999999999999999#GF##GF#\\0#");
    auto flood = rawConnect(server.controlPort());
    flood->write(QByteArray(1 << 20, 'A'));
    EXPECT_TRUE(waitUntil([&] { return flood->state() == QAbstractSocket::UnconnectedState; }));
    // Two requests in one write, the second split over two writes: both answered, to the
    // connection that asked, though another connected first.
    auto asker = rawConnect(server.controlPort());
    asker->write("GR#GD");
    asker->flush();
    waitUntil([&] { return asker->bytesAvailable() > 0; }, 300);
    asker->write("#\\0#");
    const std::string rootReply =
        formatListingReply(ReplyKind::RootListing, listingOf(shared, shared.root()));
    QByteArray got;
    waitUntil([&] {
        got += asker->readAll();
        return got.size() > static_cast<qsizetype>(rootReply.size()) + 6;
    });
    EXPECT_TRUE(got.toStdString().starts_with(rootReply + "GD#"));
    EXPECT_EQ(noisy->bytesAvailable(), 0);
    EXPECT_EQ(noisy->state(), QAbstractSocket::ConnectedState);

    // The file port keeps its first connection and closes a second one at once.
    auto firstFile = rawConnect(server.filePort());
    QTcpSocket secondFile;
    bool secondConnected = false;
    QObject::connect(&secondFile, &QTcpSocket::connected, [&] { secondConnected = true; });
    secondFile.connectToHost(QHostAddress::LocalHost, server.filePort());
    EXPECT_TRUE(waitUntil([&] {
        return secondConnected && secondFile.state() == QAbstractSocket::UnconnectedState;
    }));
    EXPECT_EQ(firstFile->state(), QAbstractSocket::ConnectedState);
}

TEST_F(PeerTest, ListingsDoNotWaitForDelayedAcknowledgements) {
    Node* many = shared.tree().addChild(shared.root());
    shared.tree().setText(many, kSharedCaption, ":many");
    shared.tree().setText(many, kSharedFullName, kSharedFolderMark);
    for (int i = 0; i < 2000; ++i) {
        Node* file = shared.tree().addChild(many);
        shared.tree().setText(file, kSharedCaption, "entry-" + std::to_string(i) + ".txt");
        shared.tree().setText(file, kSharedFullName, "/nowhere");
        shared.tree().setText(file, kSharedSize, "12");
    }
    Client client;
    connectClient(client);
    // Held by the peer's delayed acknowledgement, each round trip took 40 ms or more.
    std::vector<double> rounds;
    for (int i = 0; i < 9; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(nextListing([&] { client.requestFolder("\\0"); }));
        rounds.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(rounds.begin(), rounds.end());
    EXPECT_LT(rounds[rounds.size() / 2], 25.0);
}

TEST_F(PeerTest, ConnectionsAreCappedAndIdleOnesSwept) {
    server.stop();
    server.setMaxConnections(2);
    server.setIdleLimit(std::chrono::milliseconds(300));
    ASSERT_TRUE(server.start(QHostAddress::LocalHost, 0, 0));
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < 3; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        sockets.back()->connectToHost(QHostAddress::LocalHost, server.controlPort());
    }
    EXPECT_TRUE(
        waitUntil([&] { return sockets[2]->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(server.connectionCount(), 2u);
    EXPECT_TRUE(waitUntil([&] { return server.connectionCount() == 0; }));
}

TEST_F(PeerTest, PartialDownloadsStayAndPiecesBeforeTheAnnouncementCount) {
    QTcpServer fake;
    ASSERT_TRUE(fake.listen(QHostAddress::LocalHost, 0));
    FileClient files;
    std::vector<int> progress;
    std::optional<std::string> finished, interrupted;
    files.onProgress = [&](int percent) { progress.push_back(percent); };
    files.onFinished = [&](const std::string& path) { finished = path; };
    files.onInterrupted = [&](const std::string& path) { interrupted = path; };
    files.connectTo(QHostAddress::LocalHost, fake.serverPort());
    ASSERT_TRUE(waitUntil([&] { return fake.hasPendingConnections(); }));
    QTcpSocket* peer = fake.nextPendingConnection();

    EXPECT_EQ(files.start(dir.str(), "../escape"), FileClient::StartResult::UnsafeName);
    ASSERT_EQ(files.start(dir / "in", "f.bin"), FileClient::StartResult::Started);
    const std::string bytes = pattern(10000);
    peer->write(bytes.data(), 4096);  // before the size is known
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::file_size(dir / "in/f.bin") == 4096; }));
    files.setAnnouncedSize(10000);
    peer->write(bytes.data() + 4096, 10000 - 4096);
    ASSERT_TRUE(waitUntil([&] { return finished.has_value(); }));
    EXPECT_EQ(testing::readFile(*finished), bytes);
    EXPECT_EQ(progress.back(), 0);
    EXPECT_TRUE(std::all_of(progress.begin(), progress.end(), [](int p) { return p <= 100; }));

    // The connection drops after three pieces: the pieces stay on disk.
    ASSERT_EQ(files.start(dir / "in", "f.bin"), FileClient::StartResult::Started);
    files.setAnnouncedSize(10 * 4096);
    const std::string pieces = pattern(3 * 4096);
    peer->write(pieces.data(), 3 * 4096);
    ASSERT_TRUE(
        waitUntil([&] { return std::filesystem::file_size(dir / "in/f.bin") == 3 * 4096; }));
    peer->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return interrupted.has_value(); }));
    EXPECT_EQ(testing::readFile(*interrupted), pieces);
    EXPECT_FALSE(std::filesystem::exists(dir / "escape"));
}

TEST_F(PeerTest, FileBytesGoOnlyToTheClientThatAsked) {
    Client first;
    connectClient(first);
    ASSERT_TRUE(waitUntil([&] { return server.hasFileConnection(); }));
    Client second;  // its file connection is closed at once: the first one holds the place
    listing.reset();
    connectClient(second);
    std::optional<std::string> secondEnded;
    second.files().onInterrupted = [&](const std::string& path) { secondEnded = path; };
    std::vector<std::string> firstDone;
    first.files().onFinished = [&](const std::string& path) { firstDone.push_back(path); };

    // The second client's file cannot go out: it hears so instead of waiting for ever, and
    // the bytes do not land on the first client's connection.
    ASSERT_EQ(second.download("\\0\\0\\0", dir / "second", "big.bin"),
              FileClient::StartResult::Started);
    ASSERT_TRUE(waitUntil([&] { return secondEnded.has_value(); }));
    ASSERT_EQ(first.download("\\0\\1", dir / "first", "a#b.txt"), FileClient::StartResult::Started);
    ASSERT_TRUE(waitUntil([&] { return firstDone.size() == 1; }));
    EXPECT_EQ(testing::readFile(dir / "first/a#b.txt"), "hash");

    // Once the first client leaves, its file connection goes with it and the place is free.
    first.reset();
    second.reset();
    Client third;
    listing.reset();
    connectClient(third);
    third.files().onFinished = [&](const std::string& path) { firstDone.push_back(path); };
    ASSERT_EQ(third.download("\\0\\0\\0", dir / "third", "big.bin"),
              FileClient::StartResult::Started);
    ASSERT_TRUE(waitUntil([&] { return firstDone.size() == 2; }));
    EXPECT_EQ(testing::readFile(dir / "third/big.bin"), pattern(100000));
}

TEST_F(PeerTest, AFileGoneFromDiskEndsTheDownloadAndTellsTheServersUser) {
    std::filesystem::remove(dir / "share/a#b.txt");
    Client client;
    connectClient(client);
    ASSERT_TRUE(waitUntil([&] { return server.hasFileConnection(); }));
    std::vector<std::string> errors;
    server.onError = [&](const std::string& text) { errors.push_back(text); };
    bool ended = false;
    client.files().onInterrupted = [&](const std::string&) { ended = true; };
    ASSERT_EQ(client.download("\\0\\1", dir / "down", "a#b.txt"), FileClient::StartResult::Started);
    ASSERT_TRUE(waitUntil([&] { return ended; }));  // not left waiting for bytes
    EXPECT_EQ(errors, (std::vector<std::string>{"Cannot open file " + (dir / "share/a#b.txt") +
                                                " for sending"}));
    EXPECT_FALSE(client.files().downloading());
}

TEST(ProbeTest, AnswersWithinTheLimit) {
    QCoreApplication app(appArgc, appArgv);
    QTcpServer listening;
    ASSERT_TRUE(listening.listen(QHostAddress::LocalHost, 0));
    EXPECT_TRUE(probe(QHostAddress::LocalHost, listening.serverPort()));
    const std::uint16_t port = listening.serverPort();
    listening.close();
    QDeadlineTimer limit(1500);
    EXPECT_FALSE(probe(QHostAddress::LocalHost, port));
    EXPECT_FALSE(limit.hasExpired());
}

}  // namespace
}  // namespace tarnu
