// The store's two text formats, byte by byte, and names that the line formats cannot hold
// as they are.

#include <gtest/gtest.h>

#include "cdcatalog/catalog_tree.h"
#include "cdcatalog/cd_listing.h"
#include "common/error.h"

namespace tarnu {
namespace {

TEST(CatalogTreeTextTest, WritesLevelsAsTabsAndReadsThemBack) {
    AsciiCollation collation;
    CatalogTree tree(collation);
    CatalogNode* music = tree.add(nullptr, "Music");
    CatalogNode* holiday = tree.add(music, "Holiday");
    tree.add(holiday, "Photos");
    tree.add(nullptr, "Audio");
    EXPECT_EQ(tree.toText(), "Audio\r\nMusic\r\n\tHoliday\r\n\t\tPhotos\r\n");

    // Leading spaces count as levels too; the children come out sorted.
    CatalogTree read(collation);
    read.loadText("Soft\r\n b\r\n\ta\r\n  x\n\r\nVideo");
    EXPECT_EQ(read.toText(), "Soft\r\n\ta\r\n\t\tx\r\n\tb\r\nVideo\r\n");
    EXPECT_EQ(read.roots()[0]->children()[0]->children()[0]->kind(), CatalogLevel::Directory);
}

TEST(CatalogTreeTextTest, ALineTooDeepStopsTheLoadKeepingWhatWasRead) {
    AsciiCollation collation;
    CatalogTree tree(collation);
    try {
        tree.loadText("Music\r\n\tHoliday\r\n\t\t\tDeep\r\nSoft\r\n");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid level (3) for item \"Deep\"");
    }
    EXPECT_EQ(tree.toText(), "Music\r\n\tHoliday\r\n");
    EXPECT_THROW(tree.loadText("\tOrphan\r\n"), Error);
    EXPECT_TRUE(tree.empty());
}

TEST(CatalogTreeTextTest, OddNamesKeepTheirBytes) {
    AsciiCollation collation;
    CatalogTree tree(collation);
    const std::vector<std::string> names = {
        "new\nline",   "cr\rtab\t", " leading",           "100%",        "%41 not A",
        "back\\slash", "a#b&c",     "\xff\xfe bad utf-8", "[bracketed]", "\x1a"};
    CatalogNode* catalog = tree.add(nullptr, "Catalog");
    for (const auto& name : names) {
        tree.add(tree.add(catalog, name), name);
    }
    const std::string text = tree.toText();
    EXPECT_EQ(text.find("100%\r\n"), text.find("100%"));  // a lone "%" stays as it is
    CatalogTree read(collation);
    read.loadText(text);
    EXPECT_EQ(read.toText(), text);
    ASSERT_EQ(read.roots()[0]->children().size(), names.size());
    for (const auto& cd : read.roots()[0]->children()) {
        EXPECT_TRUE(read.hasCd(cd->children()[0]->text()));
    }

    CdListing listing;
    for (const auto& name : names) {
        listing.addFile(sectionName({"CD", name}), name);
    }
    const CdListing back = CdListing::fromText(listing.toText());
    for (const auto& name : names) {
        EXPECT_EQ(back.files(sectionName({"cd", name})), std::vector<std::string>{name}) << name;
    }
}

TEST(CdListingTest, FormatAndReadingRules) {
    CdListing listing;
    listing.addFile("HOLIDAY\\Docs\\", "c.txt");
    listing.addFile("HOLIDAY\\", "a.txt");
    listing.addFile("HOLIDAY\\", "b.txt");
    EXPECT_EQ(listing.toText(),
              "[HOLIDAY\\Docs\\]\r\nc.txt\r\n\r\n[HOLIDAY\\]\r\na.txt\r\nb.txt\r\n\r\n");

    const CdListing read = CdListing::fromText(
        "stray\r\n[Cd\\]\r\nx\r\n\r\n\x1a\r\n[CD\\Sub\\]\ny\n[]\r\nz\r\n[cd\\]\r\nw\r\n");
    EXPECT_EQ(read.files("CD\\"), (std::vector<std::string>{"x", "w"}));
    EXPECT_EQ(read.files("cd\\sub\\"), std::vector<std::string>{"y"});
    EXPECT_TRUE(read.files("CD\\Other\\").empty());
}

TEST(CdListingTest, DeepPathsGetSectionsThatFitTheirLine) {
    std::vector<std::string> deep = {"CD"};
    for (int i = 0; i < 40; ++i) {
        deep.push_back("directory" + std::to_string(i));
    }
    std::vector<std::string> sibling = deep;
    sibling.back() = "other";
    const std::string a = sectionName(deep), b = sectionName(sibling);
    EXPECT_EQ(a.size(), kMaxSectionName);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.substr(0, 200), b.substr(0, 200));
    CdListing listing;
    listing.addFile(a, "kept.txt");
    EXPECT_EQ(CdListing::fromText(listing.toText()).files(a), std::vector<std::string>{"kept.txt"});
}

}  // namespace
}  // namespace tarnu
