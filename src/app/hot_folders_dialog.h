#pragma once

// "Hot folders" (`TfrmHotFolders`): lists the bound hot folders, selects the folder of a
// row, and empties a slot.

#include <functional>
#include <vector>

#include "app/tarnu_dialog.h"
#include "operations/hot_folder_list.h"

class QTreeWidget;

namespace tarnu {

class TfrmHotFolders : public TarnuDialog {
    Q_OBJECT

public:
    struct Commands {
        std::function<std::vector<HotFolderRow>()> rows;
        std::function<bool(int slot)> select;
        std::function<void(int slot)> empty;
    };

    TfrmHotFolders(DataPack* pack, Commands commands, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fill();
    void selectFolder();
    void deleteRow();

    Commands commands_;
    QTreeWidget* list_;
};

}  // namespace tarnu
