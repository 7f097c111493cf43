#include "common/stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "common/error.h"

namespace tarnu {
namespace {

TEST(MemoryStream, ReadsWritesSeeksAndGrows) {
    MemoryStream s;
    s.writeI32(-2);
    s.write("abc", 3);
    EXPECT_EQ(s.size(), 7);
    s.seek(2);
    s.write("XYZ", 3);  // overwrites in the middle, then grows past the end
    s.write("Q", 1);
    EXPECT_EQ(s.size(), 7);
    s.seek(0);
    EXPECT_EQ(s.readI32(), static_cast<std::int32_t>(0x5958FFFE));
    char rest[4];
    EXPECT_EQ(s.read(rest, 4), 3u);
    EXPECT_THROW(s.readExact(rest, 1), Error);
    s.seek(10);
    EXPECT_EQ(s.size(), 10);
    EXPECT_THROW(s.seek(-1), Error);
}

TEST(FileStream, WritesReadsAndResizes) {
    auto path = std::filesystem::temp_directory_path() / "tarnu_stream_test.bin";
    {
        FileStream f(path.string(), FileStream::Mode::Create);
        f.writeI32(0x01020304);
        f.write("hello", 5);
        EXPECT_EQ(f.size(), 9);
        char b[5];
        EXPECT_EQ(f.readAt(4, b, 5), 5u);
        EXPECT_EQ(std::string(b, 5), "hello");
        f.resize(6);
        f.sync();
    }
    {
        FileStream f(path.string(), FileStream::Mode::Read);
        EXPECT_EQ(f.readI32(), 0x01020304);
        char b[8];
        EXPECT_EQ(f.read(b, 8), 2u);
        EXPECT_THROW(f.write("x", 1), Error);
    }
    std::filesystem::remove(path);
    EXPECT_THROW(FileStream(path.string(), FileStream::Mode::Read), Error);
}

}  // namespace
}  // namespace tarnu
