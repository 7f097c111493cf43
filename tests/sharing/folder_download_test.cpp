// Whole-folder downloads on loopback: against the real server, and against a scripted peer
// whose listings try to leave the download directory or never end.

#include "sharing/folder_download.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#include <filesystem>
#include <optional>

#include "sharing/event_loop.h"
#include "sharing/server.h"
#include "sharing/shared_listing.h"
#include "sharing/test_bytes.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;
using testing::pattern;
using testing::waitUntil;

class FolderDownloadTest : public ::testing::Test {
protected:
    void connect(std::uint16_t controlPort, std::uint16_t filePort) {
        bool rootListed = false;
        client.onListing = [&](ReplyKind, const std::vector<ListingEntry>&) { rootListed = true; };
        client.connectTo(QHostAddress::LocalHost, controlPort, filePort);
        ASSERT_TRUE(waitUntil([&] { return rootListed && client.files().isOpen(); }));
        folder.takeOverClient();
        folder.onFinished = [this](const FolderDownloadResult& r) { result = r; };
    }

    QCoreApplication app{testing::appArgc, testing::appArgv};
    testing::ScratchDir dir;
    Client client;
    FolderDownload folder{client, {2, 15, std::chrono::milliseconds(400)}};
    std::optional<FolderDownloadResult> result;
};

TEST_F(FolderDownloadTest, RebuildsNestedFoldersFromTheRealServer) {
    fs::create_directories(dir / "share/top/sub/inner");
    fs::create_directories(dir / "share/top/void");
    testing::writeFile(dir / "share/top/a#b.txt", "hash");
    testing::writeFile(dir / "share/top/sub/big.bin", pattern(300000));
    testing::writeFile(dir / "share/top/sub/inner/zero", "");
    AsciiCollation collation;
    SharedTree shared(collation);
    shareDiskFolder(shared, shared.root(), dir / "share/top");
    testing::FakeMessages messages;
    SharingLog log;
    Server server(shared, messages, log);
    ASSERT_TRUE(server.start(QHostAddress::LocalHost, 0, 0));
    connect(server.controlPort(), server.filePort());

    std::vector<std::string> files;
    folder.onFile = [&](const std::string& path, bool complete) {
        EXPECT_TRUE(complete) << path;
        files.push_back(path);
    };
    const std::string down = dir / "down";
    ASSERT_TRUE(folder.start("\\0", ":top", down));
    EXPECT_FALSE(folder.start("\\0", ":top", down));  // one walk at a time
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_TRUE(result->complete) << result->failure;
    EXPECT_EQ(result->filesDone, 3u);
    EXPECT_EQ(result->filesFailed + result->skipped, 0u);
    EXPECT_EQ(testing::readFile(down + "/top/a#b.txt"), "hash");
    EXPECT_EQ(testing::readFile(down + "/top/sub/big.bin"), pattern(300000));
    EXPECT_TRUE(fs::is_regular_file(down + "/top/sub/inner/zero"));
    EXPECT_TRUE(fs::is_directory(down + "/top/void"));

    // The server goes away after the first file: that file stays, the walk stops.
    result.reset();
    folder.onFile = [&](const std::string&, bool) { server.stop(); };
    ASSERT_TRUE(folder.start("\\0", ":top", dir / "again"));
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_FALSE(result->complete);
    EXPECT_EQ(result->failure, "The connection ended");
    EXPECT_EQ(result->filesDone, 1u);
    EXPECT_EQ(testing::readFile(dir / "again/top/a#b.txt"), "hash");
    EXPECT_FALSE(fs::exists(dir / "again/top/sub/big.bin"));
}

// Answers every folder request with the same hostile listing, so the tree never ends, and
// every file request with two bytes.
class HostilePeer {
public:
    HostilePeer() {
        control.listen(QHostAddress::LocalHost, 0);
        files.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&control, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = control.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] { answer(socket); });
        });
        QObject::connect(&files, &QTcpServer::newConnection,
                         [this] { fileSocket = files.nextPendingConnection(); });
    }
    void answer(QTcpSocket* socket) {
        buffer += socket->readAll().toStdString();
        for (RequestParse parsed; (parsed = parseRequest(buffer)).status == ParseStatus::Complete;
             buffer.erase(0, parsed.consumed)) {
            std::string reply;
            if (parsed.request.kind == RequestKind::File) {
                if (silent) {
                    continue;
                }
                reply = formatFileAnnouncement("ok.txt", 2);
                fileSocket->write("ok");
            } else if (parsed.request.kind != RequestKind::Ack) {
                const auto kind = parsed.request.kind == RequestKind::Root
                                      ? ReplyKind::RootListing
                                      : ReplyKind::FolderListing;
                reply = formatListingReply(kind, buildListing(listing));
            }
            socket->write(reply.data(), static_cast<qint64>(reply.size()));
        }
    }

    std::vector<ListingEntry> listing = {{":d", ""},      {"../evil", "1"}, {":..", ""},
                                         {"ok.txt", "2"}, {"a/b", "1"},     {":x\\y", ""}};
    bool silent = false;
    QTcpServer control;
    QTcpServer files;
    QTcpSocket* fileSocket = nullptr;
    std::string buffer;
};

TEST_F(FolderDownloadTest, HostileListingsStayInsideAndEnd) {
    HostilePeer peer;
    connect(peer.control.serverPort(), peer.files.serverPort());
    const std::string down = dir / "in/down";
    EXPECT_FALSE(folder.start("\\0", ":..", down));
    EXPECT_FALSE(folder.start("\\0", ":", down));

    ASSERT_TRUE(folder.start("\\0", ":d", down));
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_TRUE(result->complete) << result->failure;
    // Four names refused per listing; the third listing's folder is too deep, and the entry
    // limit cuts that listing after three entries, its ok.txt among them.
    EXPECT_EQ(result->filesDone, 2u);
    EXPECT_EQ(result->skipped, 4u + 4u + 6u);
    EXPECT_EQ(testing::readFile(down + "/d/ok.txt"), "ok");
    EXPECT_EQ(testing::readFile(down + "/d/d/ok.txt"), "ok");
    std::size_t written = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        written += entry.is_regular_file();
    }
    EXPECT_EQ(written, 2u);

    // A peer that stops answering ends the walk and the connection.
    result.reset();
    peer.silent = true;
    ASSERT_TRUE(folder.start("\\0", ":d", dir / "silent"));
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->failure, "The server stopped answering");
    EXPECT_FALSE(client.isOpen());
}

}  // namespace
}  // namespace tarnu
