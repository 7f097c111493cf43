// The data pack and image pack the build makes, as the program will find them.

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "common/stream.h"
#include "common/text_lines.h"
#include "document/data_pack.h"
#include "document/zubook_file.h"
#include "model/node_stream.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

class BuiltDataPack : public ::testing::Test {
protected:
    TZLBArchive archive;
    DataPack pack{TARNU_BUILD_DIR, archive};
};

struct TableUse {
    const char* table;
    std::vector<int> numbers;
};

TEST_F(BuiltDataPack, EveryMessageInUseHasAText) {
    const TableUse uses[] = {
        {"AskRes.ar", {1, 7, 8, 9, 10, 11, 12, 13, 16, 24, 25, 26, 27, 28, 29, 30}},
        {"ClientServer.cs", {0, 1, 2, 6, 8, 9, 10, 11, 12, 13}},
        {"ServerLog.sl", {0, 1, 2, 3, 4, 5, 6, 7}},
        {"SearchStr.ss", {0, 1, 2, 3}},
    };
    for (const TableUse& use : uses) {
        for (int n : use.numbers) {
            EXPECT_FALSE(pack.message(use.table, n).empty()) << use.table << " " << n;
        }
    }
    EXPECT_EQ(pack.message("AskRes.ar", 16), "Add to Tarnu");
    EXPECT_NE(pack.message("AskRes.ar", 24).find(TARNU_VERSION), std::string::npos);
}

TEST_F(BuiltDataPack, TextsAreStoredWithCrLf) {
    const auto text = pack.readEntry("AskRes.ar");
    ASSERT_TRUE(text);
    const std::size_t lines = splitLines(*text).size();
    std::size_t crlf = 0;
    for (std::size_t at = text->find("\r\n"); at != std::string::npos;
         at = text->find("\r\n", at + 2)) {
        ++crlf;
    }
    EXPECT_EQ(crlf, lines);
    EXPECT_EQ(text->find("\n\n"), std::string::npos);
}

class CountingWindows : public WindowCaptionTarget {
public:
    void setWindowCaption(AuxWindow window, std::string_view) override { windows.insert(window); }
    std::set<AuxWindow> windows;
};

TEST_F(BuiltDataPack, EveryAuxiliaryWindowHasACaption) {
    CountingWindows windows;
    pack.applyWindowCaptions(windows);
    EXPECT_EQ(windows.windows.size(), 10U);
}

class CountingWindow : public CaptionTarget {
public:
    bool setCaption(std::string_view component, std::string_view text) override {
        named = named && !component.empty() && !text.empty();
        ++pairs;
        return true;
    }
    int pairs = 0;
    bool named = true;
};

TEST_F(BuiltDataPack, EveryCaptionListHoldsWholePairs) {
    for (const char* list :
         {"MainForm.qrf", "HotKeyForm.qrf", "OptionsForm.qrf", "AddOptForm.qrf", "AboutForm.qrf",
          "SearchForm.qrf", "ExSelectionForm.qrf", "VServForm.qrf", "ServersForm.qrf",
          "AddAcForm.qrf", "PlugInsForm.qrf", "HotFoldersForm.qrf"}) {
        const auto text = pack.readEntry(list);
        ASSERT_TRUE(text) << list;
        EXPECT_EQ(splitLines(*text).size() % 2, 0U) << list;
        CountingWindow window;
        pack.applyCaptionList(window, list);
        EXPECT_GT(window.pairs, 0) << list;
        EXPECT_TRUE(window.named) << list;
    }
}

TEST_F(BuiltDataPack, EveryPictureDecodes) {
    for (const char* name : {"ZuBook.jpg", "ZuShared.jpg", "ZuShared1.jpg", "ZuFile.jpg",
                             "ZuFile1.jpg", "Options.jpg", "Search.jpg", "Plug-Ins.jpg"}) {
        const auto picture = pack.loadPicture(name);
        ASSERT_TRUE(picture) << name;
        EXPECT_EQ(picture->width, 400) << name;
        EXPECT_EQ(picture->height, 60) << name;
    }
    const auto logo = pack.loadPicture("Tarnu_Logo.jpg");
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->width, 300);
    EXPECT_EQ(logo->height, 120);
    EXPECT_FALSE(archive.isOpen());
}

TEST_F(BuiltDataPack, StarterZuBookNodesFollowTheIconRule) {
    testing::ScratchDir dir;
    ASSERT_TRUE(pack.extractEntry("Default.dua", dir.str()));
    const ZuBookFile file = readZuBookFile(archive, dir / "Default.dua");
    AsciiCollation collation;
    ZuTree tree(collation);
    MemoryStream table(file.userTable);
    const std::vector<Node*> nodes = readNodeStream(tree, table);
    ASSERT_FALSE(nodes.empty());
    for (const Node* node : nodes) {
        // ZuFolders show the folder icon, the first entry of the icon cache.
        EXPECT_EQ(node->imageIndex(), 0) << node->text(kColCaption);
        EXPECT_EQ(node->selectedImageIndex(), 0) << node->text(kColCaption);
    }
}

}  // namespace
}  // namespace tarnu
