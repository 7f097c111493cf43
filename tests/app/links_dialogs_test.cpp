#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "app/ex_selection_dialog.h"
#include "app/hot_folders_dialog.h"
#include "app/modal.h"
#include "app/synchronize_dialog.h"
#include "model/collation.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

using testing::whenModal;

QPushButton* button(QWidget& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(name);
}

TEST(LinksDialogsTest, HotFoldersListDeletesAndSelectsBySlot) {
    std::vector<HotFolderRow> rows{{0, "Ctrl+1", ":A"}, {4, "Ctrl+5", ":A\\:B"}};
    std::vector<int> emptied;
    std::vector<int> selected;
    TfrmHotFolders dialog(nullptr, {[&] { return rows; },
                                    [&](int slot) {
                                        selected.push_back(slot);
                                        return true;
                                    },
                                    [&](int slot) { emptied.push_back(slot); }});
    whenModal([&](QWidget&) {
        QTreeWidget* list = dialog.list();
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(1)->text(1), ":A\\:B");
        list->setCurrentItem(list->topLevelItem(1));
        button(dialog, "btnDelete")->click();
        EXPECT_EQ(list->topLevelItemCount(), 1);
        list->setCurrentItem(list->topLevelItem(0));
        button(dialog, "btnSelect")->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(emptied, std::vector<int>{4});
    EXPECT_EQ(selected, std::vector<int>{0});
}

TEST(LinksDialogsTest, ExpandSelectionStaysOpenOnABlankPatternAndKeepsItsChoices) {
    TfrmExSelection dialog;
    whenModal([&](QWidget&) {
        dialog.pattern()->setEditText("   ");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        EXPECT_TRUE(dialog.isVisible());
        dialog.pattern()->setEditText("*.txt");
        QTest::keyClick(dialog.pattern()->lineEdit(), Qt::Key_Return);
    });
    auto criteria = dialog.run();
    ASSERT_TRUE(criteria);
    EXPECT_EQ(criteria->pattern, "*.txt");
    EXPECT_TRUE(criteria->clear);
    EXPECT_EQ(criteria->text, MatchedText::Caption);
    EXPECT_EQ(dialog.pattern()->currentText(), "*.txt") << "kept for the next opening";
}

TEST(LinksDialogsTest, ProgressWindowRunsTheJobOrStopsOnCancel) {
    testing::ScratchDir dir;
    testing::writeFile(dir / "a.txt", "a");
    AsciiCollation collation;
    ZuTree tree(collation);
    Node* link = tree.addChild(nullptr);
    tree.setText(link, kColPath, dir / "a.txt");
    tree.setText(link, kColKind, kKindFile);
    std::filesystem::create_directories(dir / "out");
    SyncFiles files;

    SyncRun cancelled(tree, {dir / "out", SyncScope::AllTree, SyncAction::Copy, false}, files);
    TForm24 first;
    whenModal([&](QWidget&) { first.cancelButton()->click(); });
    first.run(cancelled);
    EXPECT_EQ(cancelled.outcome().filesDone, 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/a.txt"));

    SyncRun whole(tree, {dir / "out", SyncScope::AllTree, SyncAction::Copy, false}, files);
    TForm24 second;
    second.run(whole);  // closes itself when the worker is done
    EXPECT_EQ(whole.outcome().filesDone, 1u);
    EXPECT_EQ(testing::readFile(dir / "out/a.txt"), "a");
    EXPECT_EQ(second.findChild<QProgressBar*>()->value(), 1);
}

}  // namespace
}  // namespace tarnu
