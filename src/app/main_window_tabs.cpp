// The main window's tab switch: each page brings its own panels, status text and side-bar
// groups, and takes them away again when another page is chosen.

#include "app/main_window.h"

#include <QDockWidget>
#include <QTimer>

#include "common/error.h"

namespace tarnu {

namespace {

QString clientServerText(TarnuCore& core, int line) {
    try {
        return QString::fromStdString(core.dataPack().message("ClientServer.cs", line));
    } catch (const Error&) {
        return {};  // no data pack yet: the panel stays empty
    }
}

}  // namespace

void TfrmMain::tabChanged(int tab) {
    commentPanel_->hide();
    for (int i = 0; i < tabs_->count(); ++i) {
        if (i < 3) {
            tabs_->widget(i)->setEnabled(i == tab);
        }
    }
    QWidget* page = tabs_->widget(tab);
    // The page was still disabled when it was shown, and the tab widget keeps the keyboard on
    // its tab bar after Ctrl+Tab: once the switch is over, the new page's tree takes it.
    QWidget* keyboard = tab == 0 ? tree_ : (page ? page->focusProxy() : nullptr);
    if (keyboard) {
        QTimer::singleShot(0, keyboard, [keyboard] {
            if (keyboard->isVisible()) {
                keyboard->setFocus(Qt::TabFocusReason);
            }
        });
    }
    if (tab == 0) {
        commentPanel_->setVisible(actions_.showComments->isChecked() && core_.document().isOpen());
        setStatusText(1, {});
        auto* folders = sideBar_->findChild<QWidget*>("gFolders");
        sideGroups_->showOnly({folders, sideBar_->findChild<QWidget*>("gLinks"),
                               sideBar_->findChild<QWidget*>("gFavorite")},
                              folders);
    } else if (page == sharedPage_) {
        setStatusText(1, clientServerText(core_, 8));
        sharedPage_->refresh();
        sideGroups_->showOnly({sharedPage_->sideBarGroup()}, sharedPage_->sideBarGroup());
    } else if (page == transferPage_) {
        setStatusText(1, clientServerText(core_, 9));
        runCommand([this] { transferPage_->reload(); });
        sideGroups_->showOnly({transferPage_->sideBarGroup()}, transferPage_->sideBarGroup());
    } else {
        setStatusText(1, {});  // the other pages' hints do not apply here
        if (ftpList_ && page == ftpList_) {
            sideGroups_->showOnly({ftpList_->sideBarGroup()}, ftpList_->sideBarGroup());
        } else {
            sideGroups_->showOnly({}, nullptr);  // the catalog page brings its own group
        }
    }
}

}  // namespace tarnu
