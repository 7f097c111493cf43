// The archive written in one go: what readers of the format, this one and older ones,
// expect to find, whichever deflate engine made it.

#include "archive/archive_writer.h"

#include <gtest/gtest.h>

#include "archive/archive_test_util.h"
#include "archive/zlb_archive.h"
#include "archive/zlib_stream.h"

namespace tarnu {
namespace {

using test::le32;
using test::readFile;

TEST(ArchiveWriterTest, OneGoArchiveIsWhatAPlainZlibReaderExpects) {
    test::ScratchDir dir;
    const std::string file = dir / "book.dua";
    test::writeFile(file, "an older file in the way");
    const std::vector<ArchiveSource> sources = {{"User_FPlugIns", "pp"},
                                                {"UserTable.tbl", test::text(300000)},
                                                {"noise", test::randomBytes(5000)},
                                                {"empty", ""},
                                                {std::string(300, 'n'), test::text(100)}};
    writeArchive(file, sources, TCompressionLevel::fcMaximum);

    // Parsed here with zlib alone, field by field.
    const std::string bytes = readFile(file);
    const std::string trailer = bytes.substr(bytes.size() - 40);
    const std::uint32_t dirOffset = le32(trailer, 20);
    EXPECT_EQ(le32(trailer, 4), test::zcrc(bytes.substr(0, bytes.size() - 40)));
    EXPECT_EQ(le32(trailer, 8), sources.size());
    EXPECT_EQ(le32(trailer, 12), 1u);
    EXPECT_EQ(trailer[24], 1);
    EXPECT_EQ(dirOffset + le32(trailer, 16) + 40, bytes.size());
    const std::string records =
        test::zuncompress(bytes.substr(dirOffset, le32(trailer, 16)), sources.size() * 536);
    ASSERT_EQ(records.size(), sources.size() * 536);
    std::uint32_t next = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string rec = records.substr(i * 536, 536);
        const std::string& data = sources[i].bytes;
        const std::string name = sources[i].name.substr(0, 255);
        SCOPED_TRACE(name);
        EXPECT_EQ(rec.substr(1, 1 + name.size()), char(name.size()) + name);
        EXPECT_EQ(le32(rec, 516), data.size());
        EXPECT_EQ(le32(rec, 524), next);  // in order, without gaps
        EXPECT_EQ(le32(rec, 528), test::zcrc(data));
        const std::string stored = bytes.substr(next, le32(rec, 520));
        next += le32(rec, 520);
        const bool asIs = rec[532] == 1;
        EXPECT_EQ(asIs, i == 2 || i == 3 || i == 0);  // noise, empty and too short to shrink
        EXPECT_EQ(rec[533], asIs ? 0 : 3);
        EXPECT_EQ(asIs ? stored : test::zuncompress(stored, data.size()), data);
    }
    EXPECT_EQ(next, dirOffset);

    TZLBArchive reader;
    reader.VerifyFileCRC = true;
    reader.open(file);
    MemoryStream table;
    reader.extractToStream("usertable.TBL", table);
    EXPECT_EQ(table.bytes(), sources[1].bytes);
    EXPECT_EQ(dir.leftovers(), std::vector<std::string>{});
}

TEST(ArchiveWriterTest, EnginesReadEachOthersStreams) {
    const std::string words = test::text(200000);
    std::vector<DeflateEngine> engines = {DeflateEngine::Zlib};
    if (haveLibdeflate()) {
        engines.push_back(DeflateEngine::Libdeflate);
    }
    for (const DeflateEngine made : engines) {
        // The levels each engine is asked for by the program, and zlib's own maximum.
        for (const int level : {engineLevel(TCompressionLevel::fcFastest, made),
                                engineLevel(TCompressionLevel::fcDefault, made),
                                engineLevel(TCompressionLevel::fcMaximum, made), 9}) {
            SCOPED_TRACE(level);
            const auto packed = deflateSmaller(words, level, made);
            ASSERT_TRUE(packed.has_value());
            EXPECT_LT(packed->size(), words.size() / 3);
            for (const DeflateEngine reads : engines) {
                EXPECT_EQ(inflateWhole(*packed, words.size(), reads), words);
            }
            // A stream that is not whole is refused, not read short.
            EXPECT_FALSE(inflateWhole(packed->substr(0, packed->size() - 5), words.size(), made));
        }
        // Nothing that would not come out smaller.
        EXPECT_FALSE(deflateSmaller(test::randomBytes(4000), 9, made));
        EXPECT_FALSE(deflateSmaller("ab", 9, made));
    }
}

}  // namespace
}  // namespace tarnu
