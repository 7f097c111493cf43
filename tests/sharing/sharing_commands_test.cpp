#include "sharing/sharing_commands.h"

#include <gtest/gtest.h>

#include <QTcpServer>

#include "sharing/event_loop.h"
#include "sharing/shared_listing.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

using testing::waitUntil;

std::uint16_t freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class SharingCommandsTest : public ::testing::Test {
protected:
    Node* link(std::string_view kind, const std::string& path) {
        Node* n = zubook.addChild(nullptr);
        zubook.setText(n, kColCaption, path);
        zubook.setText(n, kColPath, path);
        zubook.setText(n, kColKind, kind);
        return n;
    }

    QCoreApplication app{testing::appArgc, testing::appArgv};
    testing::ScratchDir dir;
    AsciiCollation collation;
    ZuTree zubook{collation};
    SharedTree shared{collation};
    testing::FakeIcons iconPort;
    IconCache icons{iconPort};
    testing::FakeMessages messages;
    testing::ScriptedUi ui;
    std::uint16_t controlPort = freePort();
    SharingCommands commands{
        shared, icons, messages, ui, {dir.str(), controlPort, freePort(), QHostAddress::LocalHost}};
};

TEST_F(SharingCommandsTest, SharedPageCommands) {
    testing::writeFile(dir / "a.txt", "abc");
    const std::vector<Node*> picked = {link("File", dir / "a.txt"), link("ZuFolder", ":Work"),
                                       link("File", dir / "gone.txt")};
    commands.shareFiles(picked, nullptr);
    const auto& top = shared.tree().children(shared.root());
    ASSERT_EQ(top.size(), 2u);  // the ZuFolder is skipped
    EXPECT_EQ(top[0]->text(kSharedSize), "3");
    EXPECT_EQ(top[1]->text(kSharedSize), "-1");
    // With a file focused, new files go beside it.
    commands.shareFiles({picked[0]}, top[0]);
    EXPECT_EQ(shared.tree().childCount(shared.root()), 3u);

    ui.inputs = {"a:b:c", std::string(":"), std::nullopt};
    commands.addFolder(shared.root());
    commands.addFolder(shared.root());  // nothing left of the name: refused
    commands.addFolder(shared.root());  // cancelled
    ASSERT_EQ(shared.tree().childCount(shared.root()), 4u);
    EXPECT_EQ(shared.tree().children(shared.root())[0]->text(kSharedCaption), ":abc");

    TZLBArchive archive;
    commands.deleteShared(shared.root(), archive, "");
    EXPECT_EQ(shared.tree().childCount(shared.root()), 4u);
}

TEST_F(SharingCommandsTest, ServerListConnectBrowseAndDownload) {
    std::filesystem::create_directories(dir / "share/sub");
    testing::writeFile(dir / "share/sub/f.bin", std::string(9000, 'f'));
    shareDiskFolder(shared, shared.root(), dir / "share");
    commands.toggleSharing();
    ASSERT_TRUE(commands.sharing());

    commands.addServer("fileserver", "by name");
    commands.addServer("127.0.0.1", "here");
    EXPECT_EQ(testing::readFile(dir / "Data/FavServers.fs"),
              "fileserver - by name\r\n127.0.0.1 - here\r\n");
    commands.loadServerList();
    const auto& servers = commands.servers();
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_EQ(servers[1]->state, kStateUnreachable);
    commands.connect(servers[0].get());
    EXPECT_EQ(ui.errors, (std::vector<std::string>{"fileserver is not a valid IP address"}));

    RemoteItem* entry = servers[1].get();
    commands.connect(entry);
    ASSERT_TRUE(waitUntil([&] { return entry->children.size() == 1; }));
    EXPECT_EQ(entry->state, kStateReachable);
    RemoteItem* share = entry->children[0].get();
    commands.open(share);
    ASSERT_TRUE(waitUntil([&] { return share->children.size() == 1; }));
    RemoteItem* sub = share->children[0].get();
    commands.open(sub);
    ASSERT_TRUE(waitUntil([&] { return sub->children.size() == 1; }));
    EXPECT_EQ(SharingCommands::itemPath(sub->children[0].get()), "\\0\\0\\0");

    commands.download(sub->children[0].get(), "Downloads");
    ASSERT_TRUE(waitUntil([&] { return !commands.client().files().downloading(); }));
    EXPECT_EQ(testing::readFile(dir / "Downloads/f.bin"), std::string(9000, 'f'));

    // A folder comes down with everything beneath it; only a shortfall is reported.
    std::vector<std::pair<std::size_t, std::size_t>> folderProgress;
    commands.onFolderProgress = [&](std::size_t ended, std::size_t known) {
        folderProgress.emplace_back(ended, known);
    };
    // Not while a listing the user asked for is on its way: it would pass for the folder's.
    commands.open(sub);
    commands.download(share, "Downloads");
    EXPECT_FALSE(commands.folderDownload().running());
    ASSERT_TRUE(waitUntil([&] { return sub->children.size() == 1; }));
    commands.download(share, "Downloads");
    ASSERT_TRUE(commands.folderDownload().running());
    ASSERT_TRUE(waitUntil([&] { return !commands.folderDownload().running(); }));
    EXPECT_EQ(testing::readFile(dir / "Downloads/share/sub/f.bin"), std::string(9000, 'f'));
    EXPECT_EQ(folderProgress, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 1}, {0, 0}}));
    EXPECT_EQ(ui.errors.size(), 1u);

    // Deleting the connected entry disconnects first; the list file follows.
    commands.deleteServer(entry);
    EXPECT_FALSE(commands.connected());
    EXPECT_EQ(testing::readFile(dir / "Data/FavServers.fs"), "fileserver - by name\r\n");
    commands.toggleSharing();
    EXPECT_FALSE(commands.sharing());
}

TEST_F(SharingCommandsTest, EntriesWithPortsAndServingPortsFromSettings) {
    std::filesystem::create_directories(dir / "share");
    testing::writeFile(dir / "share/f.txt", "bytes");
    shareDiskFolder(shared, shared.root(), dir / "share");
    const std::uint16_t serving = freePort();
    const std::uint16_t servingFiles = freePort();
    commands.setServingPorts(serving, servingFiles);
    commands.toggleSharing();
    ASSERT_TRUE(commands.sharing());
    // Something else answers on the setup's control port, where plain entries go.
    QTcpServer standard;
    ASSERT_TRUE(standard.listen(QHostAddress::LocalHost, controlPort));
    const std::string ported =
        "127.0.0.1:" + std::to_string(serving) + ":" + std::to_string(servingFiles);
    commands.addServer(ported, "ported");
    commands.addServer("127.0.0.1", "plain");
    commands.addServer("127.0.0.1:" + std::to_string(freePort()), "nobody");
    commands.loadServerList();
    const auto& servers = commands.servers();
    for (const auto& entry : servers) {
        entry->state = kStateNone;
    }
    commands.check();
    ASSERT_TRUE(waitUntil([&] {
        return std::ranges::none_of(servers, [](const auto& e) { return e->state == kStateNone; });
    }));
    EXPECT_EQ(servers[0]->state, kStateReachable);
    EXPECT_EQ(servers[1]->state, kStateReachable);
    EXPECT_EQ(servers[2]->state, kStateUnreachable);

    RemoteItem* entry = servers[0].get();
    commands.connect(entry);
    ASSERT_TRUE(waitUntil([&] { return entry->children.size() == 1; }));
    RemoteItem* share = entry->children[0].get();
    commands.open(share);
    ASSERT_TRUE(waitUntil([&] { return share->children.size() == 1; }));
    // A download directory that cannot be made is said so, not left to look like a slow
    // download.
    testing::writeFile(dir / "blocker", "a file where the directory should go");
    commands.download(share->children[0].get(), dir / "blocker/down");
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0], "Cannot create " + (dir / "blocker/down/f.txt"));
    EXPECT_FALSE(commands.client().files().downloading());
    bool finished = false;
    commands.client().files().onFinished = [&](const std::string&) { finished = true; };
    commands.download(share->children[0].get(), "Downloads");
    ASSERT_TRUE(waitUntil([&] { return finished; }));
    EXPECT_EQ(testing::readFile(dir / "Downloads/f.txt"), "bytes");
}

}  // namespace
}  // namespace tarnu
