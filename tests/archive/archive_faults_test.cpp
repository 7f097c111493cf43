// Failures and hostile input: a failed change leaves the archive as it was, damaged files are
// refused without crashing, and extraction never writes outside its directory.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/archive_test_util.h"
#include "archive/archive_writer.h"
#include "archive/zlb_archive.h"

namespace tarnu {
namespace {

using test::errorOf;
using test::HandArchive;
using test::readFile;
using test::writeFile;

const std::string kCorrupted = "The data-file appears to be corrupted";

class ArchiveFaultTest : public ::testing::Test {
protected:
    ArchiveFaultTest() {
        file = dir / "book.dua";
        archive.create(file);
        for (const char* name : {"one", "two", "three"}) {
            MemoryStream in(test::text(200000) + name);
            archive.addStream(name, in);
        }
        before = readFile(file);
    }

    void expectUnchanged() {
        EXPECT_EQ(readFile(file), before);
        EXPECT_EQ(dir.leftovers(), std::vector<std::string>{});
        EXPECT_EQ(archive.entryCount(), 3);
        EXPECT_EQ(archive.entries()[2].name, "three");
    }

    std::string openError(const std::string& bytes) {
        writeFile(dir / "bad", bytes);
        TZLBArchive reader;
        return errorOf([&] { reader.open(dir / "bad"); });
    }

    test::ScratchDir dir;
    TZLBArchive archive;
    std::string file;
    std::string before;
};

TEST_F(ArchiveFaultTest, FailedAddOrReplaceLeavesTheArchiveAndReportsTheError) {
    test::FailingStream source(3 << 20, 2 << 20);
    EXPECT_EQ(errorOf([&] { archive.addStream("four", source); }), "source read failed");
    expectUnchanged();

    test::FailingStream again(3 << 20, 1 << 20);
    EXPECT_EQ(errorOf([&] { archive.replaceFromStream("two", again); }), "source read failed");
    expectUnchanged();

    EXPECT_NE(errorOf([&] { archive.addFile(dir / "no-such-file"); }), "");
    expectUnchanged();

    // The object is still usable afterwards.
    MemoryStream small(std::string("x"));
    archive.addStream("four", small);
    EXPECT_EQ(archive.entryCount(), 4);
}

TEST_F(ArchiveFaultTest, ReadOnlyDirectoryFailsTheAdd) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only directories";
    }
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    MemoryStream in(std::string("x"));
    EXPECT_EQ(errorOf([&] { archive.addStream("four", in); }),
              "Unable to open data-file " + file + " (Permission denied)");
    ::chmod(dir.path().c_str(), 0755);
    expectUnchanged();
}

TEST_F(ArchiveFaultTest, ChangesLeaveNoTemporaryBehind) {
    MemoryStream in(std::string("more"));
    archive.addStream("four", in);
    archive.replaceFromStream("one", in);
    archive.deleteEntry("two");
    EXPECT_EQ(dir.leftovers(), std::vector<std::string>{});
    TZLBArchive reader;
    reader.open(file);
    EXPECT_EQ(reader.entryCount(), 3);
}

TEST_F(ArchiveFaultTest, RewrittenFileKeepsPermissionsAndLinks) {
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    const std::string link = dir / "link.dua";
    std::filesystem::create_symlink(file, link);
    TZLBArchive viaLink;
    viaLink.open(link);
    MemoryStream in(std::string("more"));
    viaLink.addStream("four", in);

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    archive.open(file);
    EXPECT_EQ(archive.entryCount(), 4);

    // A new file gets the usual mode rather than the private one of a temporary file.
    const mode_t old = ::umask(027);
    TZLBArchive fresh;
    fresh.create(dir / "fresh.dua");
    fresh.addStream("x", in);
    ::umask(old);
    ASSERT_EQ(::stat((dir / "fresh.dua").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ArchiveFaultTest, FailedDeleteReportsTheArchiveName) {
    ASSERT_EQ(::unlink(file.c_str()), 0);
    EXPECT_EQ(errorOf([&] { archive.deleteEntry("one"); }), "Unable to open data-file " + file);
    EXPECT_EQ(archive.entryCount(), 3);
    EXPECT_EQ(dir.leftovers(), std::vector<std::string>{});
}

TEST_F(ArchiveFaultTest, EntryNameWithANulIsShownWhole) {
    using namespace std::string_literals;
    const std::string path = dir / "nul.dua";
    writeArchive(path, {{"bad\0name"s, "x"}}, TCompressionLevel::fcMaximum);
    std::string bytes = readFile(path);
    bytes[0] = 'y';  // the entry is stored as is at the start
    writeFile(path, bytes);
    TZLBArchive reader;
    reader.VerifyArchiveCRC = false;
    reader.VerifyFileCRC = true;
    reader.open(path);
    MemoryStream out;
    EXPECT_EQ(errorOf([&] { reader.extractToStream("bad\0name"s, out); }),
              "bad\\0name failed CRC check");
}

TEST_F(ArchiveFaultTest, DamagedFilesAreRefused) {
    // A valid CRC does not make a file sound: each damage is caught with the check on or off.
    const auto patchTrailer = [](std::size_t at, std::uint32_t v) {
        HandArchive h;
        h.entries = {{"a", test::text(3000)}, {"b", "plain", false}};
        h.patchTrailer = [=](std::string& t) { test::putLe32(t, at, v); };
        return h.build();
    };
    const auto patchRecord = [](int entry, std::size_t at, std::uint32_t v, bool plain = false) {
        HandArchive h;
        h.compressedDirectory = !plain;
        h.entries = {{"a", test::text(3000)}, {"b", "plain", false}};
        h.patchRecords = [=](std::string& r) { test::putLe32(r, entry * 536 + at, v); };
        return h.build();
    };
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"39 bytes", std::string(39, '\0')},
        {"negative count", patchTrailer(8, 0xffffffff)},
        {"huge count", patchTrailer(8, 0x7fffffff)},
        {"directory past the end", patchTrailer(20, 0x10000000)},
        {"directory size past the end", patchTrailer(16, 0x7fffff00)},
        {"entry past the data", patchRecord(1, 524, 1 << 20)},
        {"negative stored size", patchRecord(0, 520, 0xfffffff0)},
        {"negative size", patchRecord(0, 516, 0x80000000)},
        {"absurd inflated size", patchRecord(0, 516, 0x7ffffff0)},
        {"stored sizes disagree", patchRecord(1, 516, 4)},
        {"entries overlap", patchRecord(1, 524, 10, true)},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        for (const bool verify : {true, false}) {
            writeFile(dir / "bad", bytes);
            TZLBArchive reader;
            reader.VerifyArchiveCRC = verify;
            EXPECT_EQ(errorOf([&] { reader.open(dir / "bad"); }), kCorrupted);
            EXPECT_FALSE(reader.isOpen());
        }
    }
    // A directory that inflates to fewer records than the count cannot be read.
    HandArchive h;
    h.entries = {{"a", "alpha"}};
    h.patchTrailer = [](std::string& t) { test::putLe32(t, 8, 2); };
    EXPECT_EQ(openError(h.build()), "Error reading registry");
    h.patchTrailer = nullptr;
    h.patchRecords = [](std::string& r) { r.resize(300); };
    EXPECT_EQ(openError(h.build()), "Error reading registry");
}

TEST_F(ArchiveFaultTest, DamagedEntryDataFailsExtractionWithoutLeavingAFile) {
    HandArchive h;
    h.entries = {{"a", test::text(5000)}};
    std::string bytes = h.build();
    for (std::size_t at = 10; at < 40; ++at) {
        bytes[at] = '\x55';
    }
    writeFile(dir / "damaged", bytes);
    TZLBArchive reader;
    reader.VerifyArchiveCRC = false;
    reader.VerifyFileCRC = true;
    reader.open(dir / "damaged");
    const std::string error = errorOf([&] { reader.extractToDirectory("a", dir / "out"); });
    EXPECT_TRUE(error == kCorrupted || error == "a failed CRC check") << error;
    EXPECT_FALSE(std::filesystem::exists(dir / "out/a"));
    EXPECT_EQ(dir.leftovers(), std::vector<std::string>{});
}

TEST_F(ArchiveFaultTest, ExtractionStaysInsideItsDirectory) {
    const std::string out = dir / "out";
    std::filesystem::create_directories(out);
    const std::string outside = dir / "outside";
    writeFile(outside, "keep");
    std::filesystem::create_symlink(outside, out + "/link");

    HandArchive h;
    h.entries = {{"../evil", "x"},          {"..", "x"},         {"a/b", "x"},
                 {"/etc-evil", "x"},        {"", "x"},           {"x", "x", true, "../../up/"},
                 {"y", "y", true, "/abs/"}, {"link", "via link"}};
    writeFile(dir / "hostile", h.build());
    TZLBArchive reader;
    reader.open(dir / "hostile");
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(errorOf([&] {
                        reader.extractToDirectory(i, out);
                    }).starts_with("Error extracting file to "));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "evil"));
    EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "up"));

    // A folder never leads elsewhere: entries land in the directory itself. A link in the
    // way is replaced.
    reader.extractToDirectory(5, out);
    reader.extractToDirectory(6, out);
    EXPECT_EQ(readFile(out + "/x"), "x");
    EXPECT_EQ(readFile(out + "/y"), "y");
    reader.extractToDirectory(7, out);
    EXPECT_FALSE(std::filesystem::is_symlink(out + "/link"));
    EXPECT_EQ(readFile(out + "/link"), "via link");
    EXPECT_EQ(readFile(outside), "keep");
}

}  // namespace
}  // namespace tarnu
