#include "sharing/protocol.h"

#include <gtest/gtest.h>

#include "sharing/shared_listing.h"

namespace tarnu {
namespace {

using namespace std::string_literals;

class SharedTreeFixture : public ::testing::Test {
protected:
    Node* add(Node* parent, std::string_view caption, std::string_view fullName,
              std::string_view size) {
        Node* n = shared.tree().addChild(parent);
        shared.tree().setText(n, kSharedCaption, caption);
        shared.tree().setText(n, kSharedFullName, fullName);
        shared.tree().setText(n, kSharedSize, size);
        return n;
    }
    AsciiCollation collation;
    SharedTree shared{collation};
};

TEST_F(SharedTreeFixture, TheWorkedExampleIsByteExact) {
    add(shared.root(), "a.txt", "/home/u/a.txt", "1234");
    add(shared.root(), ":docs", "Folder", "");

    EXPECT_EQ(formatRequest(RequestKind::Root), "GR#");
    const std::string listing = listingOf(shared, shared.root());
    const std::string expected =
        "\x02\x00\x05:docs\x00\x05"
        "a.txt\x04"
        "1234"s;
    EXPECT_EQ(listing, expected);
    const std::string reply = formatListingReply(ReplyKind::RootListing, listing);
    EXPECT_EQ(reply, "GR#20#"s + expected);
    EXPECT_EQ(formatRequest(RequestKind::Ack), "E#");

    const Node* file = resolveItem(shared, "\\1", ItemWanted::File);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(formatRequest(RequestKind::File, "\\1"), "GF#\\1#");
    EXPECT_EQ(formatFileAnnouncement(fileNamePart(file->text(kSharedFullName)), 1234),
              "GF#11#a.txt#1234#");

    // The client side reads the same bytes back, whether they come at once or byte by byte.
    for (std::size_t cut : {reply.size(), std::size_t{2}, std::size_t{4}, std::size_t{10}}) {
        const ReplyParse head = parseReply(std::string_view(reply).substr(0, cut));
        EXPECT_EQ(head.status,
                  cut == reply.size() ? ParseStatus::Complete : ParseStatus::Incomplete)
            << cut;
    }
    const ReplyParse parsed = parseReply(reply + "GF#11#a.txt#1234#");
    ASSERT_EQ(parsed.status, ParseStatus::Complete);
    EXPECT_EQ(parsed.consumed, reply.size());
    EXPECT_EQ(parseListing(parsed.reply.payload),
              (std::vector<ListingEntry>{{":docs", ""}, {"a.txt", "1234"}}));
    // The empty folder: two zero bytes.
    EXPECT_EQ(formatListingReply(ReplyKind::RootListing, buildListing({})), "GR#2#\0\0"s);
}

TEST_F(SharedTreeFixture, PathsReachOnlyItemsOfTheWantedKind) {
    Node* docs = add(shared.root(), ":docs", "Folder", "");
    add(shared.root(), "b.txt", "/x/b.txt", "1");
    add(shared.root(), "c.txt", "/x/c.txt", "1");
    add(docs, "d1", "/x/d1", "1");
    add(docs, "d2", "/x/d2", "1");
    Node* third = add(docs, "d3", "/x/d3", "1");

    EXPECT_EQ(resolveItem(shared, "\\0\\2", ItemWanted::File), third);
    EXPECT_EQ(resolveItem(shared, "", ItemWanted::Folder), shared.root());
    EXPECT_EQ(resolveItem(shared, "\\0", ItemWanted::Folder), docs);
    for (const char* bad : {"\\9", "\\3", "\\1", "\\-1", "\\", "\\0\\x", "\\4294967296",
                            "\\99999999999999999999", "\\+1"}) {
        EXPECT_EQ(resolveItem(shared, bad, ItemWanted::Folder), nullptr) << bad;
    }
    EXPECT_EQ(resolveItem(shared, "", ItemWanted::File), nullptr);
    EXPECT_EQ(resolveItem(shared, "\\0", ItemWanted::File), nullptr);
    EXPECT_EQ(formatItemPath({0, 2}), "\\0\\2");
}

TEST(ProtocolTest, RequestsAreFramedAndBounded) {
    const std::string two = "GD#\\0#GR#";
    RequestParse first = parseRequest(two);
    ASSERT_EQ(first.status, ParseStatus::Complete);
    EXPECT_EQ(first.request.kind, RequestKind::Folder);
    EXPECT_EQ(first.request.path, "\\0");
    RequestParse second = parseRequest(std::string_view(two).substr(first.consumed));
    EXPECT_EQ(second.request.kind, RequestKind::Root);
    EXPECT_EQ(first.consumed + second.consumed, two.size());

    EXPECT_EQ(parseRequest("GF#\\1").status, ParseStatus::Incomplete);
    EXPECT_EQ(parseRequest("G").status, ParseStatus::Incomplete);
    const RequestParse unknown = parseRequest("XY#E#");
    EXPECT_EQ(unknown.request.kind, RequestKind::Unknown);
    EXPECT_EQ(unknown.consumed, 3u);
    // A peer that never sends "#" cannot make a buffer grow past the field limit.
    EXPECT_EQ(parseRequest(std::string(1 << 20, 'A')).status, ParseStatus::Bad);
    EXPECT_EQ(parseRequest("GD#" + std::string(kMaxFieldLength + 1, '\\')).status,
              ParseStatus::Bad);
}

TEST(ProtocolTest, RepliesBeyondSixteenBitsAndMalformedHeaders) {
    std::vector<ListingEntry> many(400, {std::string(200, 'x'), "12345"});
    const std::string listing = buildListing(many);
    ASSERT_GT(listing.size(), 65536u);
    const ReplyParse big = parseReply(formatListingReply(ReplyKind::FolderListing, listing));
    ASSERT_EQ(big.status, ParseStatus::Complete);
    EXPECT_EQ(big.reply.kind, ReplyKind::FolderListing);
    EXPECT_EQ(parseListing(big.reply.payload)->size(), 400u);

    EXPECT_EQ(parseReply("GR#12x#").status, ParseStatus::Bad);
    EXPECT_EQ(parseReply("GR##").status, ParseStatus::Bad);
    EXPECT_EQ(parseReply("GR#99999999999#").status, ParseStatus::Bad);
    EXPECT_EQ(parseReply("GR#1234567890123456789").status, ParseStatus::Bad);
    EXPECT_EQ(parseReply("ZZ#5#abc").reply.kind, ReplyKind::Unknown);
    EXPECT_FALSE(
        parseListing("\x03\x00\x01"
                     "a\x00"s));  // count says three

    // A "#" inside the name: the size is the field before the last "#".
    const auto announced = parseFileAnnouncement("my#file.txt#77#");
    ASSERT_TRUE(announced);
    EXPECT_EQ(announced->name, "my#file.txt");
    EXPECT_EQ(announced->size, 77);
    EXPECT_EQ(parseFileAnnouncement("a.txt#-1#")->size, -1);
    EXPECT_FALSE(parseFileAnnouncement("a.txt#12"));
    EXPECT_FALSE(parseFileAnnouncement("a.txt#3000000000#"));

    // Captions over 255 bytes are cut, not wrapped into the length byte.
    const auto cut = parseListing(buildListing({{std::string(300, 'c'), ""}}));
    EXPECT_EQ(cut->front().caption.size(), 255u);
}

TEST(ProtocolTest, DownloadNamesStayInTheirDirectory) {
    EXPECT_TRUE(isSafeDownloadName("report v2.pdf"));
    EXPECT_TRUE(isSafeDownloadName("..hidden"));
    for (const std::string& bad :
         std::vector<std::string>{"", ".", "..", "../x", "a/b", "a\\b", "/etc/passwd", "a\0b"s}) {
        EXPECT_FALSE(isSafeDownloadName(bad)) << bad;
    }
}

}  // namespace
}  // namespace tarnu
