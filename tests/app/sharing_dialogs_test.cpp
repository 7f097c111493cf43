// The server search dialog against a real sharing server on 127.0.0.x, and the FTP list
// window's check of all and its stop.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "app/ftp_list_window.h"
#include "app/server_search_dialog.h"
#include "sharing/server.h"
#include "support/fakes.h"
#include "support/program_dir.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

std::vector<QString> itemsOf(const QTreeWidget& tree) {
    std::vector<QString> texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        texts.push_back(tree.topLevelItem(i)->text(0));
    }
    return texts;
}

TEST(ServerSearchDialogTest, ListsTheOneAddressThatSharesAndStopsOnTheSecondPress) {
    AsciiCollation collation;
    SharedTree shared(collation);
    testing::FakeMessages messages;
    SharingLog log;
    Server server(shared, messages, log);
    ASSERT_TRUE(server.start(QHostAddress("127.0.0.2"), 0, 0));

    TfrmFSServers dialog(server.controlPort(), nullptr);
    dialog.show();
    auto* first = dialog.findChild<QLineEdit*>("edFirstIP");
    auto* last = dialog.findChild<QLineEdit*>("edLastIP");
    auto* search = dialog.findChild<QPushButton*>("btnSearch");
    auto* found = dialog.findChild<QTreeWidget*>("lvServers");
    ASSERT_TRUE(first && last && search && found);
    first->setText("127.0.0.1");
    last->setText("127.0.0.4");
    search->click();
    EXPECT_EQ(search->text(), "Stop");
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.searching(), 10000);
    EXPECT_EQ(itemsOf(*found), std::vector<QString>{"127.0.0.2"});
    EXPECT_EQ(search->text(), "Search");
    EXPECT_EQ(first->text(), "0.0.0.0");
    EXPECT_EQ(dialog.findChild<QLabel*>("lbStatus")->text(), "Current cheking IP: none");

    // "Add to favorite" and "Connect" hand on the selected address.
    std::vector<std::string> favourites;
    dialog.onAddToFavorite = [&](const std::string& address) { favourites.push_back(address); };
    dialog.findChild<QPushButton*>("btnAddToFavorite")->click();
    EXPECT_TRUE(favourites.empty());  // nothing selected yet
    found->setCurrentItem(found->topLevelItem(0));
    dialog.findChild<QPushButton*>("btnAddToFavorite")->click();
    EXPECT_EQ(favourites, std::vector<std::string>{"127.0.0.2"});
    dialog.findChild<QPushButton*>("btnConnect")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosen(), "127.0.0.2");

    // A second press stops a long scan at once and leaves the dialog idle.
    dialog.show();
    EXPECT_EQ(found->topLevelItemCount(), 0);  // showing starts afresh
    first->setText("127.0.0.1");
    last->setText("127.255.255.255");
    search->click();
    ASSERT_TRUE(dialog.searching());
    search->click();
    EXPECT_FALSE(dialog.searching());
    EXPECT_EQ(search->text(), "Search");
    EXPECT_EQ(last->text(), "0.0.0.0");
}

// The window probes port 21; on loopback without an FTP service that fails at once.
TEST(FtpListWindowTest, CheckAllStopsBeforeTheNextServerAndSaves) {
    testing::ScratchDir dir;
    testing::writeFile(dir / "FTPList.qfl",
                       "127.0.0.1\r\n FTP one\r\n Last check: unknown\r\n"
                       "127.0.0.1\r\n FTP two\r\n Last check: unknown\r\n");
    testing::ScriptedUi ui;
    testing::FakeShell shell;
    TfrmFTPList window(dir / "FTPList.qfl", ui, shell, nullptr);
    window.show();  // loads the list
    QTreeWidget* tree = window.tree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_FALSE(tree->topLevelItem(0)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(tree->topLevelItem(0)->child(0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(tree->topLevelItem(0)->child(1)->flags() & Qt::ItemIsEditable);

    auto* checkAll = window.sideBarGroup()->findChild<QToolButton*>("Button9");
    ASSERT_NE(checkAll, nullptr);
    checkAll->click();
    EXPECT_EQ(checkAll->text(), "Stop checking");
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
    checkAll->click();  // pressed twice quickly
    EXPECT_EQ(checkAll->text(), "Check all FTP");
    // The server under way is judged and the run ends there: the list is saved then.
    std::string saved;
    QTRY_VERIFY_WITH_TIMEOUT(
        (saved = testing::readFile(dir / "FTPList.qfl")).find("Last state:") != std::string::npos,
        5000);
    EXPECT_EQ(tree->topLevelItem(1)->child(1)->text(0), "Last check: unknown");
    EXPECT_NE(saved.find("; Last state: "), std::string::npos) << saved;
    EXPECT_NE(saved.find(" FTP two\r\n Last check: unknown\r\n"), std::string::npos) << saved;
}

}  // namespace
}  // namespace tarnu
