#pragma once

#include <QTreeView>

namespace tarnu {

// The ZuBook tree's view; it only tells whether a cell editor is open, which several
// commands must know.
class ZuBookTreeView final : public QTreeView {
public:
    using QTreeView::QTreeView;
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }
};

}  // namespace tarnu
