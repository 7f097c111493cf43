#include "archive/zlb_archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "archive/archive_test_util.h"

namespace tarnu {
namespace {

using test::errorOf;
using test::HandArchive;
using test::le32;
using test::readFile;
using test::writeFile;

std::string extract(TZLBArchive& archive, std::string_view name) {
    MemoryStream out;
    archive.extractToStream(name, out);
    return out.takeBytes();
}

void add(TZLBArchive& archive, std::string_view name, const std::string& bytes) {
    MemoryStream in(bytes);
    archive.addStream(name, in);
}

class ArchiveTest : public ::testing::Test {
protected:
    ArchiveTest() { archive.VerifyFileCRC = true; }

    // An archive on disk holding the given entries, added in order.
    std::string makeArchive(const std::vector<std::pair<std::string, std::string>>& entries,
                            const std::string& name = "a.zlb") {
        const std::string file = dir / name;
        archive.create(file);
        for (const auto& [entry, bytes] : entries) {
            add(archive, entry, bytes);
        }
        return file;
    }

    test::ScratchDir dir;
    TZLBArchive archive;
};

TEST_F(ArchiveTest, WrittenFileIsLaidOutByteForByte) {
    const std::string words = test::text(10000);
    const std::string noise = test::randomBytes(3000);
    archive.CompressionLevel = TCompressionLevel::fcMaximum;
    const std::string file = makeArchive({{"Words.txt", words}, {"noise", noise}, {"empty", ""}});
    const std::string bytes = readFile(file);
    const std::string packed = test::zcompress(words, 9);

    // Data region: the compressed text exactly as zlib makes it at level 9, then the raw noise.
    ASSERT_GT(bytes.size(), packed.size() + noise.size() + 40);
    EXPECT_EQ(bytes.substr(0, packed.size()), packed);
    EXPECT_EQ(bytes.substr(packed.size(), noise.size()), noise);

    const std::string trailer = bytes.substr(bytes.size() - 40);
    const std::uint32_t dirOffset = le32(trailer, 20);
    const std::uint32_t dirSize = le32(trailer, 16);
    EXPECT_EQ(le32(trailer, 0), 0u);
    EXPECT_EQ(le32(trailer, 4), test::zcrc(bytes.substr(0, bytes.size() - 40)));
    EXPECT_EQ(le32(trailer, 8), 3u);
    EXPECT_EQ(le32(trailer, 12), 1u);
    EXPECT_EQ(dirOffset, packed.size() + noise.size());
    EXPECT_EQ(dirOffset + dirSize + 40, bytes.size());
    EXPECT_EQ(trailer[24], 1);
    EXPECT_EQ(trailer.substr(25), std::string(15, '\0'));

    const std::string dirBlock = bytes.substr(dirOffset, dirSize);
    const std::string records = test::zuncompress(dirBlock, 3 * 536);
    ASSERT_EQ(records.size(), 3u * 536);
    EXPECT_EQ(dirBlock, test::zcompress(records, 9));

    struct Want {
        std::string name;
        std::uint32_t size, stored, offset, crc;
        char asIs, level;
    };
    const auto packedSize = static_cast<std::uint32_t>(packed.size());
    const Want want[] = {
        {"Words.txt", 10000, packedSize, 0, test::zcrc(words), 0, 3},
        {"noise", 3000, 3000, packedSize, test::zcrc(noise), 1, 0},
        {"empty", 0, 0, packedSize + 3000, 0, 1, 0},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(want[i].name);
        const std::string rec = records.substr(i * 536, 536);
        const std::size_t n = want[i].name.size();
        EXPECT_EQ(rec[0], 0);
        EXPECT_EQ(static_cast<unsigned char>(rec[1]), n);
        EXPECT_EQ(rec.substr(2, n), want[i].name);
        EXPECT_EQ(rec.substr(2 + n, 255 - n), std::string(255 - n, '\0'));
        EXPECT_EQ(rec.substr(257, 259), std::string(259, '\0'));  // empty folder, reserved
        EXPECT_EQ(le32(rec, 516), want[i].size);
        EXPECT_EQ(le32(rec, 520), want[i].stored);
        EXPECT_EQ(le32(rec, 524), want[i].offset);
        EXPECT_EQ(le32(rec, 528), want[i].crc);
        EXPECT_EQ(rec[532], want[i].asIs);
        EXPECT_EQ(rec[533], want[i].level);
        EXPECT_EQ(rec.substr(534), std::string(2, '\0'));
    }
}

TEST_F(ArchiveTest, LevelSettingPicksZlibLevelAndRecordByte) {
    const std::string words = test::text(50000);
    const std::pair<TCompressionLevel, int> levels[] = {{TCompressionLevel::fcFastest, 1},
                                                        {TCompressionLevel::fcDefault, -1},
                                                        {TCompressionLevel::fcMaximum, 9}};
    for (const auto& [level, zlevel] : levels) {
        SCOPED_TRACE(zlevel);
        archive.CompressionLevel = level;
        const std::string file = makeArchive({{"w", words}}, "l" + std::to_string(zlevel));
        const std::string packed = test::zcompress(words, zlevel);
        EXPECT_EQ(readFile(file).substr(0, packed.size()), packed);
        EXPECT_EQ(archive.entries()[0].level, static_cast<std::uint8_t>(level));
        EXPECT_FALSE(archive.entries()[0].storedAsIs);
    }
    // Level none never comes out smaller, so entries are stored as is; the directory is
    // still a zlib stream.
    archive.CompressionLevel = TCompressionLevel::fcNone;
    makeArchive({{"w", words}}, "none");
    EXPECT_TRUE(archive.entries()[0].storedAsIs);
    EXPECT_EQ(archive.entries()[0].level, 0);
    EXPECT_TRUE(archive.trailer().directoryCompressed);
    EXPECT_EQ(extract(archive, "w"), words);
}

TEST_F(ArchiveTest, ReadsHandBuiltArchivesWithEitherDirectoryForm) {
    for (const bool compressedDirectory : {true, false}) {
        SCOPED_TRACE(compressedDirectory);
        HandArchive hand;
        hand.compressedDirectory = compressedDirectory;
        hand.entries = {{"Tarnu.ini", test::text(4000)},
                        {"pic.jpg", test::randomBytes(777), false},
                        {"UserTable.tbl", "x", false},
                        {"nested.txt", "in a folder", true, "docs/"}};
        const std::string file = dir / "hand.dta";
        writeFile(file, hand.build());

        archive.open(file);
        ASSERT_EQ(archive.entryCount(), 4);
        EXPECT_EQ(archive.trailer().directoryCompressed, compressedDirectory);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(extract(archive, hand.entries[i].name), hand.entries[i].data);
        }
        EXPECT_EQ(archive.indexOf("usertable.TBL"), 2);
        EXPECT_EQ(archive.indexOf("DOCS/Nested.TXT"), 3);
        EXPECT_EQ(archive.indexOf("nested.txt"), -1);
        EXPECT_EQ(extract(archive, "docs/nested.txt"), "in a folder");
        EXPECT_EQ(archive.entries()[1].level, 0);
        EXPECT_EQ(archive.entries()[0].level, 3);
    }
}

TEST_F(ArchiveTest, KeysFoldOnlyAsciiLetters) {
    makeArchive({{"UserTable.tbl", "t"}, {"a[1]", "b"}, {"\xC3\x84rger", "c"}});
    EXPECT_EQ(archive.indexOf("USERTABLE.TBL"), 0);
    EXPECT_EQ(archive.indexOf("A[1]"), 1);
    EXPECT_EQ(archive.indexOf("a{1}"), -1);  // '{' is '[' + 32 but not a letter
    EXPECT_EQ(archive.indexOf("\xC3\x84RGER"), 2);
    EXPECT_EQ(archive.indexOf("\xC3\xA4rger"), -1);  // a lower-case umlaut is another name
    EXPECT_EQ(errorOf([&] { add(archive, "usertable.TBL", "again"); }),
              "usertable.TBL already exists in the data-file");
}

TEST_F(ArchiveTest, VersionIsCheckedBeforeTheCrc) {
    HandArchive hand;
    hand.entries = {{"a", "alpha"}};
    hand.patchTrailer = [](std::string& t) {
        test::putLe32(t, 12, 2);
        test::putLe32(t, 4, 0xdeadbeef);
    };
    const std::string file = dir / "v2";
    writeFile(file, hand.build());
    EXPECT_EQ(errorOf([&] { archive.open(file); }), "The data-file have different version...");
    EXPECT_FALSE(archive.isOpen());
    EXPECT_EQ(archive.fileName(), "");
}

TEST_F(ArchiveTest, AnyChangedByteBeforeTheTrailerFailsTheCrc) {
    const std::string file = makeArchive({{"a", "alpha alpha alpha"}, {"b", "beta"}});
    const std::string good = readFile(file);
    for (std::size_t at = 0; at + 40 < good.size(); ++at) {
        std::string bad = good;
        bad[at] = static_cast<char>(bad[at] ^ 0x10);
        writeFile(file, bad);
        ASSERT_EQ(errorOf([&] { archive.open(file); }), "The data-file appears to be corrupted")
            << "byte " << at;
        ASSERT_FALSE(archive.isOpen());
    }
}

TEST_F(ArchiveTest, IncompressibleAndEmptyEntriesAreStoredAsIs) {
    const std::string noise = test::randomBytes(100000, 3);
    makeArchive({{"noise", noise}, {"empty", ""}, {"short", "ab"}});
    for (const ArchiveEntry& e : archive.entries()) {
        SCOPED_TRACE(e.name);
        EXPECT_TRUE(e.storedAsIs);
        EXPECT_EQ(e.level, 0);
        EXPECT_EQ(e.storedSize, e.uncompressedSize);
    }
    EXPECT_EQ(extract(archive, "noise"), noise);
    EXPECT_EQ(extract(archive, "empty"), "");
    EXPECT_EQ(extract(archive, "short"), "ab");
}

TEST_F(ArchiveTest, DeletingTheMiddleEntryCompactsTheDataRegion) {
    const std::string one = test::text(5000), three = test::randomBytes(500);
    const std::string file = makeArchive({{"one", one}, {"two", test::text(9000)}, {"3", three}});
    archive.deleteEntry("TWO");

    const auto& e = archive.entries();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[1].offset, e[0].offset + static_cast<std::uint32_t>(e[0].storedSize));
    const std::string bytes = readFile(file);
    EXPECT_EQ(le32(bytes, bytes.size() - 36), test::zcrc(bytes.substr(0, bytes.size() - 40)));

    // The same two entries added afresh give the same file.
    makeArchive({{"one", one}, {"3", three}}, "fresh.zlb");
    EXPECT_EQ(readFile(dir / "fresh.zlb"), bytes);

    TZLBArchive again;
    again.VerifyFileCRC = true;
    again.open(file);
    EXPECT_EQ(extract(again, "one"), one);
    EXPECT_EQ(extract(again, "3"), three);
}

TEST_F(ArchiveTest, DeletingAnAbsentNameStillRewritesTheFile) {
    const std::string file = makeArchive({{"a", "alpha"}, {"b", "beta"}});
    const std::string before = readFile(file);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    const ino_t oldInode = st.st_ino;

    archive.deleteEntry("missing");
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_NE(st.st_ino, oldInode);  // a new file took the old one's place
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(archive.entryCount(), 2);
}

TEST_F(ArchiveTest, CreateRefusesAnExistingFileAndWritesOnFirstAdd) {
    const std::string existing = dir / "there";
    writeFile(existing, "x");
    EXPECT_EQ(errorOf([&] { archive.create(existing); }),
              existing + " already exists in the data-file");
    EXPECT_FALSE(archive.isOpen());

    const std::string file = dir / "new.zlb";
    archive.create(file);
    EXPECT_TRUE(archive.isNewArchive());
    EXPECT_EQ(archive.entryCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(file));
    add(archive, "only", "the one entry");
    EXPECT_FALSE(archive.isNewArchive());

    TZLBArchive reader;
    reader.open(file);
    ASSERT_EQ(reader.entryCount(), 1);
    EXPECT_EQ(reader.entries()[0].offset, 0u);
    EXPECT_EQ(reader.trailer().directoryOffset,
              static_cast<std::uint32_t>(reader.entries()[0].storedSize));
    EXPECT_EQ(extract(reader, "only"), "the one entry");
}

TEST_F(ArchiveTest, FileCrcCoversTheWholeTargetStream) {
    makeArchive({{"a", "alpha"}});
    MemoryStream used(std::string("old"));
    used.seek(3);
    EXPECT_EQ(errorOf([&] { archive.extractToStream("a", used); }), "a failed CRC check");
    EXPECT_EQ(used.bytes(), "oldalpha");  // appended at the position all the same

    archive.VerifyFileCRC = false;
    MemoryStream more(std::string("old"));
    more.seek(3);
    archive.extractToStream("a", more);
    EXPECT_EQ(more.bytes(), "oldalpha");
}

TEST_F(ArchiveTest, OperationsNeedAnOpenArchive) {
    const std::string notOpen = "No data-file is currently open";
    MemoryStream s;
    EXPECT_EQ(errorOf([&] { archive.indexOf("a"); }), notOpen);
    EXPECT_EQ(errorOf([&] { archive.entryCount(); }), notOpen);
    EXPECT_EQ(errorOf([&] { archive.extractToStream("a", s); }), notOpen);
    EXPECT_EQ(errorOf([&] { archive.extractToDirectory(0, dir / "x"); }), notOpen);
    EXPECT_EQ(errorOf([&] { archive.addStream("a", s); }), notOpen);
    EXPECT_EQ(errorOf([&] { archive.replaceFromStream("a", s); }), notOpen);
    EXPECT_EQ(errorOf([&] { archive.deleteEntry("a"); }), notOpen);
}

TEST_F(ArchiveTest, OpenFailuresLeaveTheObjectClosed) {
    const std::string file = makeArchive({{"a", "alpha"}});
    EXPECT_EQ(errorOf([&] { archive.open(dir / "missing"); }), "Data-file not found");
    EXPECT_FALSE(archive.isOpen());
    archive.open(file);
    EXPECT_EQ(errorOf([&] { archive.open(dir.path().string()); }),
              "Unable to open data-file " + dir.path().string());
    EXPECT_FALSE(archive.isOpen());
}

TEST_F(ArchiveTest, MissingEntriesAndPositions) {
    makeArchive({{"a", "alpha"}, {"b", "beta"}});
    MemoryStream s;
    EXPECT_EQ(errorOf([&] { archive.extractToStream("zz", s); }), "zz not found in archive");
    EXPECT_EQ(errorOf([&] { archive.replaceFromStream("zz", s); }), "zz not found in archive");
    EXPECT_EQ(errorOf([&] { archive.extractToDirectory(2, dir / "out"); }), "Index out of bounds");
    EXPECT_EQ(errorOf([&] { archive.extractToDirectory(-1, dir / "out"); }), "Index out of bounds");

    // A replacing file must name the entry at exactly the given position.
    writeFile(dir / "b", "new beta");
    EXPECT_EQ(errorOf([&] { archive.replaceFromFile(dir / "b", 0); }), "b not found in archive");
    archive.replaceFromFile(dir / "b", 1);
    EXPECT_EQ(extract(archive, "b"), "new beta");
}

TEST_F(ArchiveTest, LongNamesAreCutTo255) {
    const std::string longName(300, 'n');
    makeArchive({{longName, "data"}});
    EXPECT_EQ(archive.entries()[0].name, longName.substr(0, 255));
    EXPECT_EQ(archive.indexOf(longName), 0);
    EXPECT_EQ(extract(archive, longName.substr(0, 255)), "data");
}

TEST_F(ArchiveTest, ReplacingAMiddleEntryShiftsTheLaterOnes) {
    const std::string one = test::text(3000), three = test::randomBytes(4000, 9);
    const std::string bigger = test::randomBytes(20000, 5);
    const std::string file = makeArchive({{"one", one}, {"two", "small"}, {"three", three}});
    const ArchiveEntry firstBefore = archive.entries()[0];

    MemoryStream in(bigger);
    archive.replaceFromStream("TWO", in);
    const auto& e = archive.entries();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].offset, firstBefore.offset);
    EXPECT_EQ(e[0].storedSize, firstBefore.storedSize);
    EXPECT_EQ(e[1].name, "two");
    EXPECT_EQ(e[1].offset, static_cast<std::uint32_t>(e[0].storedSize));
    EXPECT_EQ(e[1].storedSize, 20000);
    EXPECT_EQ(e[2].offset, e[1].offset + 20000u);
    EXPECT_EQ(extract(archive, "three"), three);

    // The object's state is what reading the file gives, and so is the file itself.
    TZLBArchive reader;
    reader.VerifyFileCRC = true;
    reader.open(file);
    EXPECT_EQ(reader.trailer().crc, archive.trailer().crc);
    EXPECT_EQ(reader.trailer().directoryOffset, archive.trailer().directoryOffset);
    EXPECT_EQ(extract(reader, "two"), bigger);
    makeArchive({{"one", one}, {"two", bigger}, {"three", three}}, "fresh.zlb");
    EXPECT_EQ(readFile(dir / "fresh.zlb"), readFile(file));
}

TEST_F(ArchiveTest, LargeEntriesStreamInBlocks) {
    std::string mixed = test::text(1500000) + test::randomBytes(1500000, 4);
    std::string noise = test::randomBytes(3 << 20, 6);
    const std::string file = makeArchive({{"mixed", mixed}, {"noise", noise}});
    EXPECT_FALSE(archive.entries()[0].storedAsIs);
    EXPECT_LT(archive.entries()[0].storedSize, 2000000);
    EXPECT_TRUE(archive.entries()[1].storedAsIs);

    TZLBArchive reader;
    reader.VerifyFileCRC = true;
    reader.open(file);
    EXPECT_EQ(extract(reader, "mixed"), mixed);
    reader.extractToDirectory("noise", dir / "out");
    EXPECT_EQ(readFile(dir / "out/noise"), noise);
}

}  // namespace
}  // namespace tarnu
