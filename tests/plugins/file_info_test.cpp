#include "plugins/file_info.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "plugin_fixture.h"
#include "plugins/summary_panel.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using Show = PanelUpdate::Show;

class FileInfoTest : public testing::PlugInFixture {
protected:
    void SetUp() override {
        PlugInFixture::SetUp();
        fs::create_directories(userData / "plugins");
        fs::copy_file(fs::path(TARNU_PROBE_DIR) / "Probe.qfp", userData / "plugins/Probe.qfp");
        plugIns.registry().read(":TXT\r\n-Probe\r\n:bin\r\n-Missing\r\n");
    }
    std::string page() const { return readFile(userData / "plugins/fileinfo.htm"); }

    PlugInManager plugIns{{tree, icons, locks, ui, TARNU_SHIPPED_PLUGIN_DIR, userData.str()}};
    FileInfoView view{plugIns, lockPort, ui};
};

TEST(FileErrorPage, IsTheFixedHeadTheNameAndTheFixedTail) {
    const std::string page = fileErrorPage("a <b>.txt");
    ASSERT_EQ(page.size(), 238u + 9u + 97u);
    EXPECT_EQ(page.substr(0, 50), "<html><body topmargin=\"0\" leftmargin=\"0\" bottommar");
    EXPECT_EQ(page.substr(224, 23), "color=\"white\">a <b>.txt");
    EXPECT_EQ(page.substr(247),
              "</font></b></td></tr><tr><td bgcolor=\"#FF0000\"><b><font "
              "color=\"white\">&nbsp;Error while open file");
}

TEST_F(FileInfoTest, AClickedFileLinkGetsItsPlugInsPageOrTheErrorPage) {
    EXPECT_EQ(view.buttonReleased(b, false).show, Show::Keep);
    EXPECT_EQ(view.buttonReleased(nullptr, true).show, Show::Keep);
    EXPECT_EQ(view.buttonReleased(docs, true).show, Show::Blank);
    Node* gone = add(docs, "gone.txt", kKindFile, files / "gone.txt");
    EXPECT_EQ(view.buttonReleased(gone, true).show, Show::Blank);

    // The extension's own plug-in gets the texts and the lock flag.
    tree.setText(b, kColHotKey, "Ctrl+1");
    const PanelUpdate shown = view.buttonReleased(b, true);
    EXPECT_EQ(shown.show, Show::PageFile);
    EXPECT_EQ(shown.pageFile, userData / "plugins/fileinfo.htm");
    const std::string texts = page();
    EXPECT_TRUE(texts.starts_with("probe|05622e747874")) << texts;
    EXPECT_NE(texts.find("|064374726c2b31"), std::string::npos);
    EXPECT_TRUE(texts.ends_with("|0"));

    // Locked by this program: the error page, and no plug-in runs.
    locks.takeLock(*b);
    tree.setText(b, kColLock, "Yes");
    EXPECT_EQ(view.buttonReleased(b, true).show, Show::PageFile);
    EXPECT_EQ(page(), fileErrorPage("b.txt"));
}

TEST_F(FileInfoTest, TheDefaultPlugInCoversOtherExtensionsAndAMissingOneKeepsThePage) {
    Node* md = add(docs, "notes", kKindFile, files / "notes.md");
    testing::writeFile(files / "notes.md", "# Notes\nfirst <line>\n");
    EXPECT_EQ(view.buttonReleased(md, true).show, Show::PageFile);
    const std::string html = page();
    EXPECT_NE(html.find("first &lt;line&gt;"), std::string::npos) << html;
    EXPECT_NE(html.find("text/plain"), std::string::npos);
    EXPECT_NE(html.find("21 bytes"), std::string::npos);

    Node* bin = add(docs, "data.bin", kKindFile, files / "data.bin");
    testing::writeFile(files / "data.bin", "x");
    EXPECT_EQ(view.buttonReleased(bin, true).show, Show::Keep);
    EXPECT_FALSE(fs::exists(userData / "plugins/fileinfo.htm"));
}

TEST(SummaryPanel, ShowsTheFileNameAndOneCountPerLine) {
    testing::FakeMessages messages;
    const SummaryTexts texts = summaryTexts({2, 0, 3}, "/home/u/books/Work.dua", messages);
    EXPECT_EQ(texts.zuBook, "AskRes.ar#25Work.dua");
    EXPECT_EQ(texts.counts, "AskRes.ar#262\nAskRes.ar#270\nAskRes.ar#283");
}

}  // namespace
}  // namespace tarnu
