#pragma once

// The "CD catalog" page: the catalog tree, the file list, the tool row with the drive box and
// search, and the side-bar group. A thin view over the UI-free catalog service.

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBox>
#include <QTreeWidget>
#include <QWidget>

#include "cdcatalog/catalog_service.h"
#include "platform/ui.h"

namespace tarnu {

// The drive box: refilled each time it drops down.
class DriveBox final : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;
    void showPopup() override {
        if (beforePopup) {
            beforePopup();
        }
        QComboBox::showPopup();
    }
};

class CatalogPage final : public QWidget {
public:
    CatalogPage(CatalogService& service, Ui& ui, QWidget* parent);

    // The Tools menu's check item shows and hides the page's tab and side-bar group.
    void attach(QTabWidget* tabs, QToolBox* sideBar, QAction* menuItem);

    QTreeWidget* tree() const { return tree_; }
    QListWidget* fileList() const { return list_; }
    DriveBox* driveBox() const { return drives_; }
    QPushButton* searchButton() const { return search_; }
    QLineEdit* searchText() const { return searchText_; }
    QWidget* sideBarGroup() const { return group_; }

    // The commands, as the menu items and buttons run them.
    void aAddCatalogExecute();
    void aAddActiveCdExecute();
    void aDeleteCatalogExecute();
    void aDeleteCdExecute();
    void searchExecute();
    void showPage();

    static constexpr const char* kChooseFolder = "Choose a folder...";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTree();
    void fillList();
    void refillDrives();
    void showContextMenu(const QPoint& at);
    void selectNode(const CatalogNode* node);
    void toggleTab(QTabWidget* tabs, QToolBox* sideBar);
    void run(const std::function<void()>& command);
    const CatalogNode* nodeOf(const QTreeWidgetItem* item) const;
    const CatalogNode* current() const;
    QWidget* createSideBarGroup();

    CatalogService& service_;
    Ui& ui_;
    QTreeWidget* tree_ = nullptr;
    QListWidget* list_ = nullptr;
    DriveBox* drives_ = nullptr;
    QPushButton* search_ = nullptr;
    QLineEdit* searchText_ = nullptr;
    QWidget* group_ = nullptr;
    QAction* addCatalog_ = nullptr;
    QAction* deleteCatalog_ = nullptr;
    QAction* addActiveCd_ = nullptr;
    QAction* deleteCd_ = nullptr;
    QAction* expandAll_ = nullptr;
    QAction* collapseAll_ = nullptr;
    bool filling_ = false;
};

}  // namespace tarnu
