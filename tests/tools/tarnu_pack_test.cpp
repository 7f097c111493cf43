// Runs the built tarnu-pack as a user would and checks its output, exit codes and files.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "archive/archive_test_util.h"
#include "archive/archive_writer.h"
#include "archive/zlb_archive.h"
#include "support/repeat_source.h"
#include "support/run_tool.h"

namespace tarnu {
namespace {

using test::readFile;
using test::writeFile;

using testing::Outcome;

class TarnuPackTest : public ::testing::Test {
protected:
    Outcome pack(const std::vector<std::string>& args) {
        return testing::runTool(TARNU_PACK, args, dir.str());
    }

    std::string hexCrc(const std::string& bytes) {
        char buf[9];
        std::snprintf(buf, sizeof buf, "%08x", test::zcrc(bytes));
        return buf;
    }

    test::ScratchDir dir;
};

TEST_F(TarnuPackTest, WorksThroughAnArchiveLifeCycle) {
    const std::string archive = dir / "book.dua";
    const std::string words = test::text(20000), noise = test::randomBytes(3000);
    writeFile(dir / "words.txt", words);
    writeFile(dir / "noise.bin", noise);

    ASSERT_EQ(pack({"create", archive}).exit, 0);
    TZLBArchive check;
    check.open(archive);
    EXPECT_EQ(check.entryCount(), 0);

    ASSERT_EQ(pack({"add", archive, dir / "words.txt", dir / "noise.bin"}).exit, 0);
    Outcome list = pack({"list", archive});
    ASSERT_EQ(list.exit, 0);
    EXPECT_NE(list.out.find("words.txt"), std::string::npos);
    EXPECT_NE(list.out.find("compressed maximum  " + hexCrc(words)), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("3000 stored     none     " + hexCrc(noise)), std::string::npos)
        << list.out;

    Outcome toStdout = pack({"extract", archive, "WORDS.TXT", "-"});
    EXPECT_EQ(toStdout.exit, 0);
    EXPECT_EQ(toStdout.out, words);
    ASSERT_EQ(pack({"extract", archive, "noise.bin", dir / "out"}).exit, 0);
    EXPECT_EQ(readFile(dir / "out/noise.bin"), noise);

    writeFile(dir / "noise.bin", "now short");
    ASSERT_EQ(pack({"replace", archive, dir / "noise.bin"}).exit, 0);
    EXPECT_EQ(pack({"extract", archive, "noise.bin", "-"}).out, "now short");

    ASSERT_EQ(pack({"delete", archive, "words.txt"}).exit, 0);
    EXPECT_EQ(pack({"list", archive}).out.find("words.txt"), std::string::npos);
    Outcome verify = pack({"verify", archive});
    EXPECT_EQ(verify.exit, 0);
    EXPECT_EQ(verify.out, archive + ": 1 entries OK\n");
}

TEST_F(TarnuPackTest, LevelOptionsReachTheArchive) {
    writeFile(dir / "w", test::text(5000));
    ASSERT_EQ(pack({"-0", "create", dir / "none.dua", dir / "w"}).exit, 0);
    ASSERT_EQ(pack({"--level", "fastest", "create", dir / "fast.dua", dir / "w"}).exit, 0);
    TZLBArchive a;
    a.open(dir / "none.dua");
    EXPECT_TRUE(a.entries()[0].storedAsIs);
    a.open(dir / "fast.dua");
    EXPECT_EQ(a.entries()[0].level, 1);
    EXPECT_EQ(pack({"--level", "huge", "list", dir / "fast.dua"}).exit, 2);
}

TEST_F(TarnuPackTest, ErrorsGoToStderrWithNonZeroExit) {
    const std::string archive = dir / "book.dua";
    writeFile(dir / "a", "alpha");
    ASSERT_EQ(pack({"create", archive, dir / "a"}).exit, 0);

    for (const char* command : {"extract", "delete"}) {
        Outcome missing = pack({command, archive, "nope"});
        EXPECT_EQ(missing.exit, 1);
        EXPECT_EQ(missing.err, "tarnu-pack: nope not found in archive\n");
    }
    Outcome exists = pack({"create", archive});
    EXPECT_EQ(exists.exit, 1);
    EXPECT_EQ(exists.err, "tarnu-pack: " + archive + " already exists in the data-file\n");

    std::string bytes = readFile(archive);
    bytes[2] = static_cast<char>(bytes[2] ^ 1);
    writeFile(archive, bytes);
    for (const char* command : {"verify", "list"}) {
        Outcome corrupted = pack({command, archive});
        EXPECT_EQ(corrupted.exit, 1);
        EXPECT_EQ(corrupted.err, "tarnu-pack: The data-file appears to be corrupted\n");
        EXPECT_EQ(corrupted.out, "");
    }

    Outcome unknown = pack({"frobnicate"});
    EXPECT_EQ(unknown.exit, 2);
    EXPECT_NE(unknown.err.find("Usage: tarnu-pack"), std::string::npos);
    EXPECT_EQ(pack({"add", archive}).exit, 2);
}

TEST_F(TarnuPackTest, BuildsAZuBookFromAnOutlineAndPrintsIt) {
    writeFile(dir / "outline", "Start | hello\n  Inner\n");
    const std::string book = dir / "Default.dua";
    ASSERT_EQ(pack({"outline", dir / "outline", book}).exit, 0);
    Outcome shown = pack({"book", book});
    EXPECT_EQ(shown.exit, 0);
    EXPECT_EQ(shown.out,
              "Tree: 2 nodes\n"
              "  :Start  ZuFolder  comment: hello\n"
              "    :Inner  ZuFolder\n"
              "Hot folders:\n"
              "Shared files:\n"
              "  :  Folder\n");

    // An archive that is no ZuBook, and a damaged one, fail with the reason.
    writeFile(dir / "a", "alpha");
    ASSERT_EQ(pack({"create", dir / "plain.dua", dir / "a"}).exit, 0);
    Outcome notBook = pack({"book", dir / "plain.dua"});
    EXPECT_EQ(notBook.exit, 1);
    EXPECT_EQ(notBook.err,
              "tarnu-pack: UserTable.tbl not found in archive (" + (dir / "plain.dua") + ")\n");
    std::string bytes = readFile(book);
    bytes.resize(bytes.size() - 1);
    writeFile(book, bytes);
    EXPECT_EQ(pack({"book", book}).exit, 1);

    writeFile(dir / "bad", "Top\n      Deep\n");
    Outcome bad = pack({"outline", dir / "bad", dir / "x.dua"});
    EXPECT_EQ(bad.exit, 1);
    EXPECT_EQ(bad.err, "tarnu-pack: Outline line 2: indent skips a level\n");
}

// The peak memory, in KiB, of `tarnu-pack book` on the file; -1 when it failed.
long peakKiBOfBook(const std::string& book) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::freopen("/dev/null", "w", stdout);
        ::execl(TARNU_PACK, TARNU_PACK, "book", book.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    return usage.ru_maxrss;
}

// Entries of zeros that unpack to 32 MiB each: printing the ZuBook reads them as streams.
TEST_F(TarnuPackTest, BookOfHugeEntriesIsPrintedInLittleMemory) {
    // The same entries holding `repeats` times 64 KiB of zeros (the link records stay empty).
    const auto makeBook = [&](const std::string& book, int repeats) {
        ArchiveWriter out(book, TCompressionLevel::fcFastest);
        std::vector<ArchiveEntry> entries;
        for (const char* name :
             {"User_FPlugIns", "UserTable.tbl", "ItemRec.lst", "SharedFiles.sf"}) {
            ArchiveEntry& entry = entries.emplace_back();
            entry.name = name;
            const bool records = entry.name == "ItemRec.lst";
            testing::RepeatSource source("", std::string(records ? 4 : 1 << 16, '\0'),
                                         records ? 1 : repeats);
            out.storeEntry(entry, source);
        }
        out.finish(entries);
        out.commit();
    };
    makeBook(dir / "small.dua", 1);
    makeBook(dir / "zeros.dua", 512);
    // Against the same tool printing the small ZuBook, so that a sanitizer's own memory does
    // not count: reading any one entry whole would take 32 MiB more.
    const long baseline = peakKiBOfBook(dir / "small.dua");
    const long peak = peakKiBOfBook(dir / "zeros.dua");
    ASSERT_GT(baseline, 0);
    ASSERT_GT(peak, 0);
    EXPECT_LT(peak - baseline, 16 * 1024) << "KiB above " << baseline;
}

}  // namespace
}  // namespace tarnu
