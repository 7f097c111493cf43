#include "app/plugin_dialogs.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <deque>
#include <filesystem>

#include "app/plugin_menu.h"
#include "plugins/plugin_fixture.h"

namespace tarnu {
namespace {

using testing::readFile;

class PlugInDialogsTest : public ::testing::Test, protected testing::PlugInParts {
protected:
    PlugInDialogsTest() {
        std::filesystem::create_directories(shipped / "plugins");
        testing::writeFile(shipped / "plugins/ext.ini", ":txt\r\n-\r\n+Open=Viewer,1\r\n");
        plugIns.start();
    }
    QPushButton& button(QWidget& dialog, const char* name) {
        return *dialog.findChild<QPushButton*>(name);
    }

    testing::ScratchDir shipped;
    PlugInManager plugIns{{tree, icons, locks, ui, shipped / "plugins", userData.str()}};
};

TEST_F(PlugInDialogsTest, TheManagerEditsInPlaceAndWritesOnlyOnClose) {
    TfrmPlugIns dialog(plugIns, ui);
    std::deque<PlugInAction> answers{
        {"View", "Viewer", false}, {"", "", true}, {"Edit", "Editor", true}};
    std::vector<PlugInAction> shown;
    dialog.setActionDialog([&](const PlugInAction& initial) {
        shown.push_back(initial);
        PlugInAction answer = answers.front();
        answers.pop_front();
        return answer;
    });
    auto* extensions = dialog.findChild<QListWidget*>("lbExtensions");
    auto* actions = dialog.findChild<QListWidget*>("lbActionList");
    EXPECT_EQ(extensions->currentRow(), -1);
    EXPECT_FALSE(button(dialog, "btnRemoveExtension").isEnabled());

    ui.inputs.push_back("md");
    button(dialog, "btnAddExtension").click();
    EXPECT_EQ(ui.prompts.back(), "Extention adding|Extention|");
    ASSERT_EQ(extensions->currentRow(), 1);
    dialog.findChild<QComboBox*>("cbInfoPlugIn")->setEditText("MdInfo");
    button(dialog, "btnAddAction").click();  // View
    button(dialog, "btnAddAction").click();  // both fields empty: nothing
    button(dialog, "btnAddAction").click();  // Edit, the default
    ASSERT_EQ(actions->count(), 2);
    EXPECT_TRUE(actions->item(1)->font().bold());
    actions->setCurrentRow(0);
    button(dialog, "btnDefaultAction").click();
    EXPECT_TRUE(actions->item(0)->font().bold());
    EXPECT_FALSE(actions->item(1)->font().bold());
    EXPECT_EQ(plugIns.defaultActionFor("/a/b.MD"), "Viewer");

    // Escape keeps the file as it was; the changes already count.
    dialog.reject();
    EXPECT_FALSE(std::filesystem::exists(userData / "plugins/ext.ini"));
    button(dialog, "btnClose").click();
    EXPECT_EQ(readFile(userData / "plugins/ext.ini"),
              ":txt\r\n-\r\n+Open=Viewer,1\r\n:md\r\n-MdInfo\r\n+View=Viewer,1\r\n"
              "+Edit=Editor,0\r\n");
}

TEST_F(PlugInDialogsTest, TheContextMenuShowsTheActionsOnceAfterTheFixedItems) {
    Node* link = tree.addChild(nullptr);
    tree.setText(link, kColPath, "/docs/a.TXT");
    tree.select(link);
    QMenu menu;
    menu.addAction("Open");
    menu.addAction("Plug-Ins...");
    for (int opened = 0; opened < 2; ++opened) {
        fillPlugInActions(menu, 2, plugIns, [link] { return link; });
    }
    QStringList captions;
    for (const QAction* item : menu.actions()) {
        captions << item->text();
    }
    EXPECT_EQ(captions, (QStringList{"Open", "Plug-Ins...", "Open"}));
    tree.clearSelection();
    fillPlugInActions(menu, 2, plugIns, [link] { return link; });
    EXPECT_EQ(menu.actions().size(), 2);
}

}  // namespace
}  // namespace tarnu
