// The main window's commands that find, select, file away and synchronize links.

#include <memory>

#include "app/ex_selection_dialog.h"
#include "app/favourite_bar.h"
#include "app/hot_folders_dialog.h"
#include "app/main_window.h"
#include "app/search_dialog.h"
#include "app/synchronize_dialog.h"
#include "operations/hot_folder_list.h"

namespace tarnu {

void TfrmMain::connectLinkCommands() {
    const MainActions& a = actions_;
    connect(a.find, &QAction::triggered, this, &TfrmMain::showSearch);
    connect(a.expandSelection, &QAction::triggered, this, &TfrmMain::expandSelection);
    onTriggered(a.hotFoldersManage, [this] { manageHotFolders(); });
    onTriggered(a.synchronize, [this] { synchronize(); });
    onTriggered(a.addToFavorite, [this] {
        if (core_.favourites().aAddToFavoriteExecute() > 0) {
            showFavourites();
        }
    });
    auto* group = sideBar_->findChild<QWidget*>(QStringLiteral("gFavorite"));
    favouriteBar_ = new FavouriteBar(core_.favourites(), *group, [this](const std::string& path) {
        runCommand([this, path] { core_.openZuBook(path); });
    });
}

void TfrmMain::showFavourites() {
    favouriteBar_->refresh();
}

void TfrmMain::showSearch() {
    if (!search_) {
        search_ = new TfrmSearch(&core_.dataPack(), this);
        search_->onSearch = [this](const std::string& text, bool caseSensitive) {
            runCommand([this, text, caseSensitive] {
                if (Node* found = core_.searchNext(text, caseSensitive)) {
                    reveal(*found);
                }
            });
        };
    }
    applyWindowCaption(*search_, AuxWindow::Search);
    search_->show();
    search_->raise();
    search_->activateWindow();
}

void TfrmMain::expandSelection() {
    if (editing()) {
        return;
    }
    if (!exSelection_) {
        exSelection_ = new TfrmExSelection(&core_.dataPack(), this);
    }
    applyWindowCaption(*exSelection_, AuxWindow::ExpandSelection);
    if (auto criteria = exSelection_->run()) {
        // By value: a command that waits its turn runs after this frame is gone.
        runCommand([this, chosen = *criteria] { core_.selectByCriteria(chosen); });
    }
}

void TfrmMain::manageHotFolders() {
    TfrmHotFolders dialog(&core_.dataPack(),
                          {[this] { return hotFolderRows(core_.hotFolders()); },
                           [this](int slot) {
                               const bool found =
                                   selectHotFolder(core_.tree(), core_.hotFolders(), slot);
                               if (found) {
                                   reveal(*core_.hotFolders().slot(slot));
                               }
                               return found;
                           },
                           [this](int slot) { core_.emptyHotFolder(slot); }},
                          this);
    dialog.exec();
}

void TfrmMain::synchronize() {
    TForm23 settings(core_.ui(), &core_.dataPack(), this);
    std::optional<SyncChoices> choices = settings.run();
    if (!choices) {
        return;
    }
    std::unique_ptr<SyncJob> job = core_.prepareSync(std::move(*choices));
    TForm24 progress(this);
    progress.run(job->run());
    job->run().finish(core_.ui());
}

}  // namespace tarnu
