#include "app/file_filter.h"

#include <gtest/gtest.h>

namespace tarnu {
namespace {

TEST(QtFileFilter, PairsBecomeQtFiltersInOrder) {
    EXPECT_EQ(qtFileFilter("Dubo files (*.dua)|*.dua|All files (*.*)|*.*"),
              "Dubo files (*.dua);;All files (*.*)");
    EXPECT_EQ(qtFileFilter("All files (*.*)|*.*|Exe files (*.exe)|*.exe|Text files (*.txt)|*.txt"),
              "All files (*.*);;Exe files (*.exe);;Text files (*.txt)");
}

TEST(QtFileFilter, MaskMissingFromTheDescriptionIsAppended) {
    // Qt reads the patterns from the parentheses only: without them nothing would match.
    EXPECT_EQ(qtFileFilter("ZuBooks|*.dua"), "ZuBooks (*.dua)");
    EXPECT_EQ(qtFileFilter("Everything (*.*)|*"), "Everything (*.*) (*)");
}

TEST(QtFileFilter, SeveralPatternsBecomeOneBlankSeparatedList) {
    EXPECT_EQ(qtFileFilter("Pictures|*.jpg;*.bmp"), "Pictures (*.jpg *.bmp)");
    EXPECT_EQ(qtFileFilter("Pictures (*.jpg *.bmp)|*.jpg; *.bmp"), "Pictures (*.jpg *.bmp)");
}

TEST(QtFileFilter, EmptyAndIncompleteFiltersGiveNoItems) {
    EXPECT_EQ(qtFileFilter(""), "");
    EXPECT_EQ(qtFileFilter("Text (*.txt)"), "");
    EXPECT_EQ(qtFileFilter("Text (*.txt)|*.txt|Orphan"), "Text (*.txt)");
    EXPECT_EQ(qtFileFilter("Nothing||Text|*.txt"), "Text (*.txt)");
}

TEST(DefaultSuffix, TakesThePlainExtensionOfTheMask) {
    EXPECT_EQ(defaultSuffix("*.dua"), "dua");
    EXPECT_EQ(defaultSuffix(".dua"), "dua");
    EXPECT_EQ(defaultSuffix("dua"), "dua");
    EXPECT_EQ(defaultSuffix("*.*"), "");
    EXPECT_EQ(defaultSuffix("*"), "");
    EXPECT_EQ(defaultSuffix(""), "");
    EXPECT_EQ(defaultSuffix("*.tar.gz"), "tar.gz");
    EXPECT_EQ(defaultSuffix("*.d?a"), "");
}

}  // namespace
}  // namespace tarnu
