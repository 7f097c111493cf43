#include "app/file_filter.h"

#include <gtest/gtest.h>

#include <QDir>

#include "support/scratch_dir.h"

namespace tarnu {
namespace {

TEST(QtFileFilter, PairsBecomeQtFiltersInOrder) {
    EXPECT_EQ(qtFileFilter("Tarnu files (*.dua)|*.dua|All files (*.*)|*.*"),
              "Tarnu files (*.dua);;All files (*)");
    EXPECT_EQ(qtFileFilter("All files (*.*)|*.*|Exe files (*.exe)|*.exe|Text files (*.txt)|*.txt"),
              "All files (*);;Exe files (*.exe);;Text files (*.txt)");
}

TEST(QtFileFilter, AllFilesShowsFilesWithoutAnExtension) {
    testing::ScratchDir dir;
    testing::writeFile(dir / "README", "x");
    testing::writeFile(dir / "a.txt", "x");
    // Qt matches the patterns in the last parentheses of the selected filter.
    const QString all =
        qtFileFilter("All files (*.*)|*.*|Text files (*.txt)|*.txt").split(u';').front();
    const qsizetype open = all.lastIndexOf(u'(');
    const QStringList patterns = all.sliced(open + 1, all.size() - open - 2).split(u' ');
    const QStringList shown =
        QDir(QString::fromStdString(dir.str())).entryList(patterns, QDir::Files);
    EXPECT_TRUE(shown.contains("README")) << all.toStdString();
    EXPECT_TRUE(shown.contains("a.txt"));
}

TEST(QtFileFilter, MaskMissingFromTheDescriptionIsAppended) {
    // Qt reads the patterns from the parentheses only: without them nothing would match.
    EXPECT_EQ(qtFileFilter("ZuBooks|*.dua"), "ZuBooks (*.dua)");
    EXPECT_EQ(qtFileFilter("Everything (*.*)|*"), "Everything (*)");
    EXPECT_EQ(qtFileFilter("Text (*.txt)|*.*"), "Text (*.txt) (*)");
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
