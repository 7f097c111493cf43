// Replacing files: a crash never leaves a broken file or a stray temporary for good, links
// keep pointing where they did, and the old file's mode survives.

#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archive/archive_test_util.h"
#include "archive/archive_writer.h"
#include "archive/zlb_archive.h"

namespace tarnu {
namespace {

using test::errorOf;
using test::readFile;
using test::writeFile;

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(AtomicFileTest, KilledWriterLeavesTheOldFileAndNoTemporaryForGood) {
    test::ScratchDir dir;
    const std::string book = dir / "book.dua";
    writeFile(book, "old content");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicFile file(book);
        const std::string half(1 << 20, 'n');
        file.stream().write(half.data(), half.size());
        const char c = 'w';
        (void)!::write(ready[1], &c, 1);
        ::pause();  // killed here, before the commit
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(readFile(book), "old content");
    EXPECT_EQ(dir.leftovers(), std::vector<std::string>{});

    // Where the file system has no unnamed files, a killed writer leaves a named temporary:
    // the next write of that directory removes it, and only it.
    const std::string stale = dir / ("ZLB" + std::to_string(child) + "-aaaaaa");
    const std::string live = dir / ("ZLB" + std::to_string(::getpid()) + "-bbbbbb");
    const std::string foreign = dir / "ZLBcccccc";
    for (const std::string& f : {stale, live, foreign}) {
        writeFile(f, "x");
    }
    writeFileAtomically(book, "new content");
    EXPECT_EQ(readFile(book), "new content");
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(foreign));
}

// A real save in a child process, killed at moments from before its first write to after
// its rename: the archive is always the old one or the new one, whole, and nothing is left.
TEST(AtomicFileTest, SaveKilledAtAnyMomentLeavesAWholeArchiveAndNothingElse) {
    test::ScratchDir dir;
    const std::string book = dir / "book.dua";
    writeArchive(book, {{"a", "old"}}, TCompressionLevel::fcMaximum);
    const std::string big = test::text(4 << 20);
    for (const int delayMs : {0, 2, 10, 40, 120, 400}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            writeArchive(book, {{"a", big}}, TCompressionLevel::fcMaximum);
            ::_exit(0);
        }
        ::usleep(static_cast<useconds_t>(delayMs) * 1000);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        TZLBArchive check;
        check.VerifyFileCRC = true;
        check.open(book);
        MemoryStream content;
        check.extractToStream("a", content);
        EXPECT_TRUE(content.bytes() == "old" || content.bytes() == big) << delayMs << " ms";
        EXPECT_EQ(dir.leftovers(), std::vector<std::string>{}) << delayMs << " ms";
    }
}

TEST(AtomicFileTest, LinksModesAndFailures) {
    test::ScratchDir dir;
    const std::string target = dir / "real.dua";
    const std::string link = dir / "link.dua";
    const std::string chain = dir / "chain.dua";
    writeFile(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0664), 0);        // more than a 022 umask leaves
    std::filesystem::create_symlink("real.dua", link);  // relative, as users make them
    std::filesystem::create_symlink(link, chain);

    // Through a chain of links the final target gets the content and keeps its mode.
    writeFileAtomically(chain, "new");
    EXPECT_TRUE(std::filesystem::is_symlink(chain));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(modeOf(target), 0664u);

    // A dangling link names the file to create.
    std::filesystem::create_symlink("later.dua", dir / "dangling.dua");
    writeFileAtomically(dir / "dangling.dua", "made");
    EXPECT_EQ(readFile(dir / "later.dua"), "made");

    // Asked to, the link itself is replaced and its target left alone.
    {
        AtomicFile file(link, AtomicFile::Links::Replace);
        file.stream().write("own", 3);
        file.commit();
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(link), "own");
    EXPECT_EQ(readFile(target), "new");

    // Nothing written without a commit; a failure names the file and the reason.
    {
        AtomicFile file(target);
        file.stream().write("lost", 4);
    }
    EXPECT_EQ(readFile(target), "new");
    const std::string missing = dir / "no/such/dir.ini";
    EXPECT_EQ(errorOf([&] { writeFileAtomically(missing, "x"); }),
              "Unable to write " + missing + ": No such file or directory");
    EXPECT_EQ(dir.leftovers(), std::vector<std::string>{});
}

}  // namespace
}  // namespace tarnu
