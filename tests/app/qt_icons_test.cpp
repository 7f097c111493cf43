#include "app/qt_icons.h"

#include <gtest/gtest.h>

namespace tarnu {
namespace {

// Under the offscreen platform no desktop sets a theme: the bundled one must give file types
// their own pictures instead of one blank page for all.
TEST(QtIcons, FileTypesTakeTheirThemeIconByNameOnly) {
    QtIcons icons;
    const int text = icons.fileIcon("/nowhere/notes.txt");
    const int picture = icons.fileIcon("/nowhere/photo.png");
    EXPECT_NE(text, picture);
    EXPECT_NE(picture, icons.plainFileIcon());
    EXPECT_NE(picture, icons.folderIcon());
    EXPECT_FALSE(icons.icon(picture).isNull());
    // One picture per type, however many files of it are met.
    EXPECT_EQ(icons.fileIcon("/elsewhere/SCAN.PNG"), picture);
    EXPECT_TRUE(icons.icon(99).isNull());
}

}  // namespace
}  // namespace tarnu
