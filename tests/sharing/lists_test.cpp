#include <gtest/gtest.h>

#include "common/error.h"
#include "sharing/ftp_client.h"
#include "sharing/ftp_list.h"
#include "sharing/server_list.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

TEST(ServerListTest, FileRoundTripAndAddresses) {
    testing::ScratchDir dir;
    const std::string path = dir / "Data/FavServers.fs";
    EXPECT_TRUE(readServerList(path).empty());  // missing file
    writeServerList(path, {"192.0.2.7 - Tarnu file server", "10.0.0.1"});
    EXPECT_EQ(testing::readFile(path), "192.0.2.7 - Tarnu file server\r\n10.0.0.1\r\n");
    EXPECT_EQ(readServerList(path),
              (std::vector<std::string>{"192.0.2.7 - Tarnu file server", "10.0.0.1"}));
    writeServerList(path, {});
    EXPECT_EQ(testing::readFile(path), "");

    EXPECT_EQ(addressPart("192.0.2.7 - a - b"), "192.0.2.7");
    EXPECT_EQ(addressPart("host-name"), "host-name");  // "-" without the space before it
    EXPECT_EQ(parseDottedQuad("192.0.2.250"), 0xC00002FAu);
    EXPECT_EQ(formatDottedQuad(0xC00002FAu), "192.0.2.250");
    for (const char* bad : {"192.0.2", "192.0.2.256", "1.2.3.4.5", "a.b.c.d", "1..2.3", "1.2.3.",
                            " 1.2.3.4", "1.2.3.4 ", "1.2.3.-4", "1.2.3.0004", "fileserver"}) {
        EXPECT_FALSE(parseDottedQuad(bad)) << bad;
    }
}

TEST(ServerListTest, AddressesMayNameTheirPorts) {
    const std::uint32_t local = 0x7F000001;
    EXPECT_EQ(parseServerAddress("127.0.0.1"), (ServerAddress{local, kControlPort, kFilePort}));
    EXPECT_EQ(parseServerAddress("127.0.0.1", 5000, 6000), (ServerAddress{local, 5000, 6000}));
    // A control port alone has the file port after it, whatever the defaults.
    EXPECT_EQ(parseServerAddress("127.0.0.1:40111", 5000, 6000),
              (ServerAddress{local, 40111, 40112}));
    EXPECT_EQ(parseServerAddress("127.0.0.1:40111:31012"), (ServerAddress{local, 40111, 31012}));
    EXPECT_EQ(parseServerAddress(addressPart("127.0.0.1:1:65535 - a: b")),
              (ServerAddress{local, 1, 65535}));
    for (const char* bad : {"127.0.0.1:", "127.0.0.1:0", "127.0.0.1:65535", "127.0.0.1:65536",
                            "127.0.0.1:40111:", "127.0.0.1:1:2:3", "127.0.0.1: 80", "127.0.0.1:+80",
                            "127.0.0.1:80x", "fileserver:80", ":80", "127.0.0.256:80"}) {
        EXPECT_FALSE(parseServerAddress(bad)) << bad;
    }
}

TEST(FtpListTest, OutlineFormatAndItsFaults) {
    const std::vector<FtpServerEntry> entries = {
        {"192.0.2.5", "FTP file server", "Last check: unknown"},
        {"ftp.example.org", "mirror", ftpStatusLine("1/2/26 10:00:00", true)}};
    const std::string text = formatFtpList(entries);
    EXPECT_TRUE(text.starts_with("192.0.2.5\r\n FTP file server\r\n Last check: unknown\r\n"));
    EXPECT_EQ(parseFtpList(text).entries, entries);
    // Tabs indent as spaces do; Ctrl-Z ends the list.
    const FtpListParse tabbed = parseFtpList("a\n\td\n\tLast check: x\n\x1a\nb\n");
    EXPECT_EQ(tabbed.entries, (std::vector<FtpServerEntry>{{"a", "d", "Last check: x"}}));
    // Two levels deeper than the line before: reading stops, what came before stays.
    const FtpListParse deep = parseFtpList("a\r\n d\r\n s\r\nb\r\n  x\r\nc\r\n");
    EXPECT_TRUE(deep.invalidLevel);
    ASSERT_EQ(deep.entries.size(), 2u);
    EXPECT_EQ(deep.entries[1], (FtpServerEntry{"b", "", "Last check: unknown"}));

    testing::ScratchDir dir;
    std::vector<FtpServerEntry> loaded;
    loadFtpList(dir / "Data/FTPList.qfl", loaded);  // missing: nothing, no error
    EXPECT_TRUE(loaded.empty());
    testing::writeFile(dir / "bad.qfl", "a\r\n  d\r\n");
    try {
        loadFtpList(dir / "bad.qfl", loaded);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid TreeNode Level");
    }
    EXPECT_EQ(loaded.size(), 1u);
    saveFtpList(dir / "Data/FTPList.qfl", entries);
    loadFtpList(dir / "Data/FTPList.qfl", loaded);
    EXPECT_EQ(loaded, entries);

    EXPECT_FALSE(isEditableFtpText(0, "192.0.2.5"));
    EXPECT_FALSE(isEditableFtpText(1, "Last check: unknown"));
    EXPECT_TRUE(isEditableFtpText(1, "FTP file server"));
}

TEST(FtpReplyTest, MultiLineRepliesEndOnTheirLastLine) {
    const FtpReplyParse greeting =
        parseFtpReply("220-Welcome\r\n 220 not the end\r\n220 Ready\r\n331 x\r\n");
    EXPECT_EQ(greeting.status, ParseStatus::Complete);
    EXPECT_EQ(greeting.code, 220);
    EXPECT_EQ(greeting.consumed, 42u);
    EXPECT_EQ(parseFtpReply("530 Login incorrect.\n").code, 530);
    EXPECT_EQ(parseFtpReply("220-Welcome\r\n").status, ParseStatus::Incomplete);
    EXPECT_EQ(parseFtpReply("220 no line end").status, ParseStatus::Incomplete);
    EXPECT_EQ(parseFtpReply(std::string(100000, 'x')).status, ParseStatus::Bad);
}

}  // namespace
}  // namespace tarnu
