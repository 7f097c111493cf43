#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include "app/widget_captions.h"

#include "support/fake_hot_keys.h"
#include "support/fakes.h"
#include "support/program_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

// The real main window over a core whose ports are stand-ins, on the offscreen platform.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        testing::writeProgramDir(dir, "Alpha\n  Inner\nBeta\n",
                                 {{"MainForm.qrf", "aNewFolder\nNew virtual folder\n"}});
        window.setUpPages(core.createMainWindowSteps());
        core.settingsCommandLineAndFirstZuBook({});
        window.applySettings();
    }

    QModelIndex indexOf(std::string_view caption, const QModelIndex& parent = {}) {
        auto* model = window.treeList()->model();
        for (int r = 0; r < model->rowCount(parent); ++r) {
            QModelIndex i = model->index(r, 0, parent);
            if (i.data().toString().toStdString() == caption) {
                return i;
            }
        }
        return {};
    }

    testing::ScratchDir dir;
    QtIcons icons;
    testing::NoLocks locks;
    testing::FakeGlobalHotKeys keys;
    testing::FakeDesktop desktop;
    testing::ScriptedUi ui;
    testing::FakeShell shell;
    testing::NoPump pump;
    AsciiCollation collation;
    TarnuCore core{dir.str(), "/opt/tarnu/tarnu", collation,
                   CorePorts{icons, locks, keys, desktop, ui, shell, pump}};
    TfrmMain window{core, icons};
};

TEST_F(MainWindowTest, ShowsTheLoadedZuBookWithItsCaption) {
    EXPECT_EQ(window.windowTitle(), "Tarnu - Default.dua");
    auto* model = window.treeList()->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, 0).data().toString(), ":Alpha");
    EXPECT_EQ(model->rowCount(indexOf(":Alpha")), 1);
    EXPECT_TRUE(window.treeList()->isColumnHidden(kColLock));
    EXPECT_TRUE(window.treeList()->isColumnHidden(kColKind));
    EXPECT_FALSE(window.treeList()->isColumnHidden(kColHotKey));
    window.show();  // caption lists are applied each time the window is shown
    EXPECT_EQ(window.action("aNewFolder")->text(), "New virtual folder");
}

TEST_F(MainWindowTest, SelectionKeepsToSiblings) {
    auto* selection = window.treeList()->selectionModel();
    QModelIndex alpha = indexOf(":Alpha");
    QModelIndex beta = indexOf(":Beta");
    QModelIndex inner = indexOf(":Inner", alpha);
    selection->select(alpha, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(beta, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(inner, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(core.tree().selectionCount(), 2u);
    EXPECT_FALSE(selection->isSelected(inner));  // not a sibling of the first: taken back
}

TEST_F(MainWindowTest, InPlaceEditsFollowTheCaptionRules) {
    auto* model = window.treeList()->model();
    QModelIndex alpha = indexOf(":Alpha");
    EXPECT_EQ(model->data(alpha, Qt::EditRole).toString(), "Alpha");  // the editor's text
    ASSERT_TRUE(model->setData(alpha, "Gam:ma", Qt::EditRole));
    QCoreApplication::processEvents();
    EXPECT_TRUE(indexOf(":Gamma").isValid());
}

TEST_F(MainWindowTest, DropsGoOntoZuFoldersOrTheTopLevel) {
    auto* model = window.treeList()->model();
    auto* selection = window.treeList()->selectionModel();
    QModelIndex inner = indexOf(":Inner", indexOf(":Alpha"));
    window.treeList()->setCurrentIndex(inner);
    selection->select(inner, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    std::unique_ptr<QMimeData> drag(model->mimeData({inner}));
    EXPECT_TRUE(model->canDropMimeData(drag.get(), Qt::MoveAction, -1, -1, indexOf(":Beta")));
    window.treeList()->setCurrentIndex(indexOf(":Alpha"));  // onto its own descendant
    EXPECT_FALSE(model->canDropMimeData(drag.get(), Qt::MoveAction, -1, -1, inner));
    window.treeList()->setCurrentIndex(inner);
    selection->select(inner, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QMimeData foreign;
    foreign.setText("not ours");
    EXPECT_FALSE(model->canDropMimeData(&foreign, Qt::MoveAction, -1, -1, indexOf(":Beta")));

    model->dropMimeData(drag.get(), Qt::MoveAction, -1, -1, QModelIndex());  // empty space
    QCoreApplication::processEvents();
    EXPECT_TRUE(indexOf(":Inner").isValid());
    EXPECT_EQ(model->rowCount(), 3);
}

TEST_F(MainWindowTest, CloseHidesOrEnds) {
    window.show();
    core.settings().closeAsMin = true;
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(core.document().caption(), "Tarnu - Default.dua");  // still running, still open
}

TEST_F(MainWindowTest, NoZuBookHidesItsMenus) {
    core.document().close();
    EXPECT_EQ(window.windowTitle(), "Tarnu");
    EXPECT_FALSE(window.action("SaveZuBook1")->isEnabled());
    EXPECT_EQ(window.treeList()->model()->rowCount(), 0);
}

QMenu* menuTitled(QMenuBar& bar, const QString& title) {
    for (QAction* action : bar.actions()) {
        if (action->menu() && withoutMnemonics(action->text()) == title) {
            return action->menu();
        }
    }
    return nullptr;
}

// The item of the menu whose text the pointer starts with; the longest when several do.
QAction* itemAt(QMenu& menu, const QString& pointer) {
    QAction* best = nullptr;
    for (QAction* action : menu.actions()) {
        const QString text = withoutMnemonics(action->text());
        if (!action->isSeparator() && pointer.startsWith(text) &&
            (!best || text.size() > withoutMnemonics(best->text()).size())) {
            best = action;
        }
    }
    return best;
}

// The starter ZuBook's texts name menu items as "Menu > Item (shortcut)".
TEST_F(MainWindowTest, StarterZuBookPointsOnlyAtRealMenuItems) {
    ZuTree starter(collation);
    buildFromOutline(starter, testing::readFile(TARNU_SOURCE_DIR "/data/Default.outline"));
    QStringList comments;
    starter.forEachInFlatOrder([&](Node* node) {
        comments << QString::fromStdString(std::string(node->text(kColComment)));
        return true;
    });
    int pointers = 0;
    for (const QString& comment : comments) {
        for (qsizetype at = comment.indexOf(" > "); at >= 0; at = comment.indexOf(" > ", at + 3)) {
            ++pointers;
            qsizetype start = at;
            while (start > 0 && comment[start - 1].isLetter()) {
                --start;
            }
            const QString title = comment.sliced(start, at - start);
            const QString pointer = comment.sliced(at + 3);
            QMenu* menu = menuTitled(*window.menuBar(), title);
            ASSERT_NE(menu, nullptr) << title.toStdString();
            QAction* item = itemAt(*menu, pointer);
            ASSERT_NE(item, nullptr) << title.toStdString() << " > " << pointer.toStdString();
            const QString after = pointer.sliced(withoutMnemonics(item->text()).size());
            if (after.startsWith(" (")) {
                const QString keys = after.sliced(2, after.indexOf(u')') - 2);
                EXPECT_EQ(item->shortcut().toString(), keys) << pointer.toStdString();
            }
        }
    }
    EXPECT_GE(pointers, 5);
}

}  // namespace
}  // namespace tarnu
