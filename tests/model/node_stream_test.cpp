#include "model/node_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "common/bytes.h"
#include "common/error.h"

namespace tarnu {
namespace {

// Builds node streams by hand.
struct Bytes {
    std::string s;
    Bytes& i32(std::int32_t v) {
        appendI32(s, v);
        return *this;
    }
    Bytes& text(std::string_view t) {
        i32(static_cast<std::int32_t>(t.size()));
        s.append(t);
        return *this;
    }
    Bytes& shortText(std::string_view t) {
        s.push_back(static_cast<char>(t.size()));
        s.append(t);
        return *this;
    }
    Bytes& header(std::int32_t image, std::int32_t state, std::int32_t tag, std::int32_t children,
                  std::int32_t values) {
        return i32(24).i32(image).i32(image).i32(state).i32(tag).i32(children).i32(values);
    }
};

class NodeStreamTest : public ::testing::Test {
protected:
    std::vector<Node*> read(const std::string& bytes) {
        MemoryStream in(bytes);
        return readNodeStream(tree, in);
    }
    std::string write() {
        MemoryStream out;
        writeNodeStream(tree, out);
        return out.bytes();
    }
    AsciiCollation collation;
    ZuTree tree{collation};
};

TEST_F(NodeStreamTest, EmptyTrees) {
    EXPECT_EQ(write(), Bytes().i32(-1).i32(0).s);
    tree.addChild(nullptr);
    read(Bytes().i32(-1).i32(0).s);
    EXPECT_TRUE(tree.empty());
    tree.addChild(nullptr);
    read(Bytes().i32(0).s);  // old format: the first integer is the count itself
    EXPECT_TRUE(tree.empty());
}

TEST_F(NodeStreamTest, WritesTheExactLayout) {
    Node* folder = tree.addChild(nullptr);
    tree.setText(folder, kColCaption, ":Work");
    tree.setText(folder, kColKind, "ZuFolder");
    folder->setImageIndex(3);
    folder->setSelectedImageIndex(3);
    Node* file = tree.addChild(folder);
    tree.setText(file, kColCaption, "plan");
    tree.setText(file, kColPath, "/home/u/plan.txt");
    tree.setText(file, kColLock, "No");
    tree.setText(file, kColKind, "File");
    tree.setText(file, kColComment, "x");
    file->setImageIndex(7);
    file->setSelectedImageIndex(7);
    file->setStateIndex(kStateBroken);
    file->ensureLinkRecord().hotKey = 0x4041;

    const auto expected = Bytes()
                              .i32(-1)
                              .i32(1)
                              .header(3, -1, 0, 1, 5)
                              .text(":Work")
                              .text("")
                              .text("")
                              .text("")
                              .text("ZuFolder")
                              .header(7, 3, 1, 0, 6)
                              .text("plan")
                              .text("/home/u/plan.txt")
                              .text("No")
                              .text("")
                              .text("File")
                              .text("x")
                              .s;
    EXPECT_EQ(write(), expected);
}

TEST_F(NodeStreamTest, RoundTripIsByteIdentical) {
    Node* a = tree.addChild(nullptr);
    tree.setText(a, kColCaption, ":a");
    a->setExpanded(true);
    for (int i = 0; i < 50; ++i) {
        Node* f = tree.addChild(a);
        tree.setText(f, kColCaption, "f" + std::to_string(i));
        tree.setText(f, kColKind, "File");
        f->setStateIndex(i % 2 ? kStateLocked : kStateNone);
    }
    const std::string first = write();
    auto order = read(first);
    EXPECT_EQ(order.size(), 51u);
    EXPECT_EQ(write(), first);
    Node* top = tree.firstTopLevel();
    EXPECT_EQ(tree.childCount(top), 50u);
    EXPECT_EQ(tree.children(top)[1]->text(kColCaption), "f1");
    EXPECT_EQ(tree.children(top)[1]->stateIndex(), kStateLocked);
}

TEST_F(NodeStreamTest, ReadsOldFormatLongerHeadersAndValuelessNodes) {
    const auto old = Bytes()
                         .i32(2)
                         .header(1, -1, 0, 1, 2)
                         .shortText(":old")
                         .shortText("")
                         .header(2, -1, 0, 0, 0)
                         .i32(28)  // a longer header: its extra bytes are skipped
                         .i32(5)
                         .i32(5)
                         .i32(4)
                         .i32(77)
                         .i32(0)
                         .i32(1)
                         .i32(0x55555555)
                         .shortText("second")
                         .s;
    auto order = read(old);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0]->text(kColCaption), ":old");
    EXPECT_EQ(order[0]->valueCount(), 2);
    EXPECT_EQ(order[1]->valueCount(), 0);
    EXPECT_EQ(order[1]->text(kColCaption), "");
    EXPECT_EQ(order[1]->parent(), order[0]);
    EXPECT_EQ(order[2]->text(kColCaption), "second");
    EXPECT_EQ(order[2]->imageIndex(), 5);
    EXPECT_EQ(order[2]->stateIndex(), 4);
    EXPECT_EQ(order[2]->linkRecord(), nullptr);
}

TEST_F(NodeStreamTest, ReturnsTheWritersOrderEvenWhenThisCollationDisagrees) {
    const auto bytes = Bytes()
                           .i32(-1)
                           .i32(2)
                           .header(0, -1, 0, 0, 1)
                           .text("zeta")
                           .header(0, -1, 0, 0, 1)
                           .text("alpha")
                           .s;
    auto order = read(bytes);
    EXPECT_EQ(order[0]->text(kColCaption), "zeta");
    EXPECT_EQ(tree.firstTopLevel()->text(kColCaption), "alpha");
}

TEST_F(NodeStreamTest, TruncatedStreamKeepsTheNodesReadSoFar) {
    auto bytes = Bytes()
                     .i32(-1)
                     .i32(3)
                     .header(0, -1, 0, 0, 1)
                     .text("one")
                     .header(0, -1, 0, 0, 1)
                     .text("two")
                     .header(0, -1, 0, 0, 1)
                     .text("three")
                     .s;
    bytes.resize(bytes.size() - 2);
    try {
        read(bytes);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    // The third node was created before its values ran out.
    ASSERT_EQ(tree.nodeCount(), 3u);
    EXPECT_EQ(tree.nodeAtFlatPosition(1)->text(kColCaption), "one");
    EXPECT_EQ(tree.nodeAtFlatPosition(2)->text(kColCaption), "two");
}

TEST_F(NodeStreamTest, RejectsShortHeadersAndHugeLengthsWithoutAllocating) {
    EXPECT_THROW(read(Bytes().i32(-1).i32(1).i32(20).i32(0).i32(0).i32(0).i32(0).i32(0).s), Error);
    EXPECT_THROW(read(Bytes().i32(-1).i32(1).header(0, -1, 0, 0, 1).i32(0x7FFFFFFF).s), Error);
    EXPECT_THROW(read(Bytes().i32(-1).i32(0x7FFFFFFF).header(0, -1, 0, 0x7FFFFFFF, 0).s), Error);
    // Values past the last column are read over and dropped.
    read(Bytes()
             .i32(-1)
             .i32(1)
             .header(0, -1, 0, 0, 8)
             .text("a")
             .text("")
             .text("")
             .text("")
             .text("File")
             .text("c")
             .text("x")
             .text("y")
             .s);
    EXPECT_EQ(tree.firstTopLevel()->valueCount(), 6);
    EXPECT_EQ(tree.firstTopLevel()->text(kColComment), "c");
}

}  // namespace
}  // namespace tarnu
