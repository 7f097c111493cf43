#pragma once

// The favourite buttons of the side bar's "Favorite" group: one per favourite ZuBook, named
// "FavZBButton_" and its position, with "Rename" and "Delete" in their context menu.

#include <QObject>
#include <functional>
#include <string>

#include "operations/favourites.h"

class QMenu;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace tarnu {

class FavouriteBar : public QObject {
    Q_OBJECT

public:
    // The buttons go into the group's layout, before its last item (the stretch).
    FavouriteBar(FavouriteBooks& favourites, QWidget& group,
                 std::function<void(const std::string& path)> open);

    // Makes the buttons anew from the list.
    void refresh();

    QMenu* menu() const { return menu_; }

private:
    static int positionOf(const QToolButton& button);

    FavouriteBooks& favourites_;
    QWidget& group_;
    std::function<void(const std::string&)> open_;
    QMenu* menu_;
    QToolButton* menuFor_ = nullptr;
};

}  // namespace tarnu
