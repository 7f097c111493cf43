#include <gtest/gtest.h>

#include <filesystem>

#include "plugin_fixture.h"
#include "plugins/extension_registry.h"
#include "plugins/plugin_manager.h"

namespace tarnu {
namespace {

using testing::readFile;
using testing::writeFile;

TEST(ExtensionRegistry, ReadsTheLineFormatAndWritesItBack) {
    ExtensionRegistry registry;
    registry.read(
        "+Orphan=X,1\r\n-Orphan\r\n"       // before the first entry: ignored
        ":txt\r\n-TextInfo\r\n"            //
        "+Open in viewer=Viewer,1\r\n"     // default
        "+Count words=WordCount,0\r\n"     //
        "+Odd=Odd,x\r\n+a=b=c,1\r\n+\r\n"  // other flag; first "=" splits; too short
        "# comment\r\n\r\n"                //
        ":TXT\r\n-Second\r\n"              // a second entry never wins a lookup
        ":\r\n-\r\n+Show=Shower,1\n");     // the empty extension, LF only
    ASSERT_EQ(registry.entries().size(), 3u);
    EXPECT_EQ(registry.infoPlugInOf("Txt"), "TextInfo");
    EXPECT_EQ(registry.actionsOf("TXT"),
              (std::vector<std::string>{"Open in viewer", "Count words", "Odd", "a", ""}));
    EXPECT_EQ(registry.plugInOfAction("txt", "COUNT WORDS"), "WordCount");
    EXPECT_EQ(registry.plugInOfAction("txt", "a"), "b=c");
    EXPECT_EQ(registry.plugInOfAction("txt", "missing"), "");
    EXPECT_EQ(registry.defaultActionPlugInOf("txt"), "Viewer");
    EXPECT_EQ(registry.defaultActionPlugInOf(""), "Shower");
    EXPECT_EQ(registry.infoPlugInOf("pdf"), "");
    EXPECT_TRUE(registry.actionsOf("pdf").empty());

    EXPECT_EQ(registry.write(),
              ":txt\r\n-TextInfo\r\n+Open in viewer=Viewer,1\r\n+Count words=WordCount,0\r\n"
              "+Odd=Odd,0\r\n+a=b=c,1\r\n+=,0\r\n:TXT\r\n-Second\r\n:\r\n-\r\n+Show=Shower,1\r\n");
}

TEST(ExtensionRegistry, ExtensionOfAPathIsTheFileNamesLastPartWithoutDots) {
    EXPECT_EQ(extensionOfPath("/docs/Report.TXT"), "TXT");
    EXPECT_EQ(extensionOfPath("/docs/a.tar.gz"), "gz");
    EXPECT_EQ(extensionOfPath("/docs.d/README"), "");
    EXPECT_EQ(extensionOfPath("/docs/odd..md"), "md");
    EXPECT_EQ(extensionOfPath("/docs/trailing."), "");
}

TEST(ExtensionRegistry, ManagerEditsKeepAtMostTheChosenDefault) {
    ExtensionRegistry registry;
    registry.read(":txt\r\n-\r\n+A=PA,1\r\n+B=PB,0\r\n+C=PC,0\r\n");
    registry.makeDefault(0, 2);
    EXPECT_EQ(registry.defaultActionPlugInOf("txt"), "PC");
    registry.editAction(0, 0, actionFromText("A2=PA2", true));
    EXPECT_EQ(registry.defaultActionPlugInOf("txt"), "PA2");  // edit leaves the others alone
    registry.addAction(0, actionFromText("D=PD", false));
    EXPECT_EQ(registry.defaultActionPlugInOf("txt"), "");  // adding clears every default
    registry.removeAction(0, 1);
    registry.addExtension("");
    registry.setInfoPlugIn(1, "Info");
    registry.removeExtension(0);
    EXPECT_EQ(registry.write(), ":\r\n-Info\r\n");
}

class PlugInFiles : public ::testing::Test, protected testing::PlugInParts {
protected:
    void SetUp() override {
        std::filesystem::create_directories(shipped / "plugins");
        writeFile(shipped / "plugins/ext.ini", ":txt\r\n-TextInfo\r\n+View=Viewer,0\r\n");
        writeFile(shipped / "plugins/qplist.ini", "TextInfo\r\n");
        writeFile(shipped / "plugins/qpactlst.ini", "Viewer\r\nViewer\r\nEditor");
    }
    PlugInManager manager() {
        return PlugInManager({tree, icons, locks, ui, shipped / "plugins", userData.str()});
    }

    testing::ScratchDir shipped;
};

TEST_F(PlugInFiles, NewPlugInsMergeIntoTheUsersCopiesAndTheAnnouncementGoes) {
    std::filesystem::create_directories(userData / "plugins");
    writeFile(userData / "plugins/newplg.ini",
              ":TXT\r\n-Better\r\n+Edit=Editor,1\r\n:pdf\r\n-\r\n+Show=PdfShow,0\r\n");
    PlugInManager plugIns = manager();
    plugIns.start();

    EXPECT_TRUE(ui.errors.empty());
    EXPECT_FALSE(std::filesystem::exists(userData / "plugins/newplg.ini"));
    const std::string merged =
        ":txt\r\n-Better\r\n+View=Viewer,0\r\n+Edit=Editor,1\r\n:pdf\r\n-\r\n+Show=PdfShow,0\r\n";
    // Written at once, so the merge survives a session without the manager.
    EXPECT_EQ(readFile(userData / "plugins/ext.ini"), merged);
    EXPECT_EQ(readFile(userData / "plugins/qplist.ini"), "TextInfo\r\nBetter\r\n");
    EXPECT_EQ(readFile(userData / "plugins/qpactlst.ini"),
              "Viewer\r\nViewer\r\nEditor\r\nEditor\r\nPdfShow\r\n");
    EXPECT_EQ(readFile(shipped / "plugins/ext.ini"), ":txt\r\n-TextInfo\r\n+View=Viewer,0\r\n");
    EXPECT_EQ(plugIns.defaultActionFor("/a/b.Txt"), "Editor");
    EXPECT_EQ(plugIns.infoPlugInChoices(), (std::vector<std::string>{"TextInfo", "Better"}));
    EXPECT_EQ(plugIns.actionPlugInChoices(),
              (std::vector<std::string>{"Viewer", "Editor", "PdfShow"}));

    // A later start reads the user's registry.
    PlugInManager again = manager();
    again.start();
    EXPECT_EQ(again.registry().write(), merged);
}

TEST_F(PlugInFiles, EditsReachTheMenuAtOnceAndTheFileOnlyOnSave) {
    PlugInManager plugIns = manager();
    plugIns.start();
    Node* link = tree.addChild(nullptr);
    tree.setText(link, kColPath, "/x/notes.TXT");
    tree.select(link);
    EXPECT_EQ(plugIns.contextMenuActions(), (std::vector<std::string>{"View"}));
    plugIns.registry().addAction(0, actionFromText("Count=Counter", true));
    EXPECT_EQ(plugIns.contextMenuActions(), (std::vector<std::string>{"View", "Count"}));
    EXPECT_FALSE(std::filesystem::exists(userData / "plugins/ext.ini"));
    plugIns.saveRegistry();
    EXPECT_EQ(readFile(userData / "plugins/ext.ini"),
              ":txt\r\n-TextInfo\r\n+View=Viewer,0\r\n+Count=Counter,1\r\n");
}

}  // namespace
}  // namespace tarnu
