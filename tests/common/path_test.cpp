#include "common/path.h"

#include <gtest/gtest.h>

#include "common/error.h"

namespace tarnu {
namespace {

TEST(Path, SplitsNamesDirectoriesAndExtensions) {
    EXPECT_EQ(path::fileName("/home/u/a.txt"), "a.txt");
    EXPECT_EQ(path::fileName("a.txt"), "a.txt");
    EXPECT_EQ(path::fileName("/home/u/"), "");
    EXPECT_EQ(path::directory("/home/u/a.txt"), "/home/u/");
    EXPECT_EQ(path::directory("a.txt"), "");
    EXPECT_EQ(path::extension("/home/u/a.tar.gz"), ".gz");
    EXPECT_EQ(path::extension("/home/u.d/README"), "");
    EXPECT_EQ(path::extension("/x/file."), ".");
    EXPECT_EQ(path::join("/home/u", "a"), "/home/u/a");
    EXPECT_EQ(path::join("/home/u/", "a"), "/home/u/a");
}

TEST(Path, CaptionPathDropsTheProgramDirectoryOnlyAsAPrefix) {
    EXPECT_EQ(path::captionPath("/opt/tarnu/Default.dua", "/opt/tarnu"), "Default.dua");
    EXPECT_EQ(path::captionPath("/opt/tarnu/books/a.dua", "/opt/tarnu/"), "books/a.dua");
    EXPECT_EQ(path::captionPath("/opt/tarnu2/a.dua", "/opt/tarnu"), "/opt/tarnu2/a.dua");
    EXPECT_EQ(path::captionPath("/home/opt/tarnu/a.dua", "/opt/tarnu"), "/home/opt/tarnu/a.dua");
    EXPECT_EQ(path::captionPath("/OPT/tarnu/a.dua", "/opt/tarnu"), "/OPT/tarnu/a.dua");
    EXPECT_EQ(path::captionPath("/opt/tarnu", "/opt/tarnu"), "/opt/tarnu");
    EXPECT_EQ(path::captionPath("/a.dua", "/"), "a.dua");
}

TEST(Path, UsablePathTakesRelativeValuesInTheProgramDirectory) {
    EXPECT_EQ(path::usablePath("Default.dua", "/opt/tarnu"), "/opt/tarnu/Default.dua");
    EXPECT_EQ(path::usablePath("books/a.dua", "/opt/tarnu"), "/opt/tarnu/books/a.dua");
    EXPECT_EQ(path::usablePath("/home/u/a.dua", "/opt/tarnu"), "/home/u/a.dua");
    EXPECT_EQ(path::usablePath("", "/opt/tarnu"), "");
    const std::string full = "/opt/tarnu/books/a.dua";
    EXPECT_EQ(path::usablePath(path::captionPath(full, "/opt/tarnu"), "/opt/tarnu"), full);
}

TEST(Messages, FillTheFirstPlaceholder) {
    EXPECT_EQ(formatMessage("%s not found in archive", "A.tbl"), "A.tbl not found in archive");
    EXPECT_EQ(formatMessage("no placeholder", "x"), "no placeholder");
}

}  // namespace
}  // namespace tarnu

namespace tarnu {
namespace {

TEST(Path, CaptionPathsAreRelativeOnlyInsideTheProgramDirectory) {
    EXPECT_EQ(path::captionPath("/opt/tarnu/Default.dua", "/opt/tarnu"), "Default.dua");
    EXPECT_EQ(path::captionPath("/opt/tarnu/books/a.dua", "/opt/tarnu"), "books/a.dua");
    EXPECT_EQ(path::captionPath("/home/u/a.dua", "/opt/tarnu"), "/home/u/a.dua");
    // Containing the directory's text somewhere else, or only as a prefix of a name, is not
    // lying inside it.
    EXPECT_EQ(path::captionPath("/x/opt/tarnu/a.dua", "/opt/tarnu"), "/x/opt/tarnu/a.dua");
    EXPECT_EQ(path::captionPath("/opt/tarnu2/a.dua", "/opt/tarnu"), "/opt/tarnu2/a.dua");
    EXPECT_EQ(path::usablePath("Default.dua", "/opt/tarnu"), "/opt/tarnu/Default.dua");
    EXPECT_EQ(path::usablePath("books/a.dua", "/opt/tarnu"), "/opt/tarnu/books/a.dua");
    EXPECT_EQ(path::usablePath("/home/u/a.dua", "/opt/tarnu"), "/home/u/a.dua");
}

}  // namespace
}  // namespace tarnu
