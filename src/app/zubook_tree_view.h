#pragma once

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QResizeEvent>
#include <QTreeView>
#include <algorithm>
#include <functional>

#include "model/tree.h"

namespace tarnu {

// The ZuBook tree's view. A drop counts where the pointer is: on a node, that node must take
// it (a File link never does); below the rows is empty space. Only drags from this same view
// are taken. The caption column takes the width the other columns leave free.
class ZuBookTreeView final : public QTreeView {
public:
    explicit ZuBookTreeView(QWidget* parent = nullptr) : QTreeView(parent) {
        header()->setStretchLastSection(false);
        connect(header(), &QHeaderView::sectionResized, this, [this](int section) {
            if (section != 0) {
                fillFirstColumn();
            }
        });
    }
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

    // Whether a drop onto the node (null: empty space) is taken, and the drop itself.
    std::function<bool(const Node* target)> canDropOn;
    std::function<void(Node* target)> dropOn;

    // The other columns keep the widths the user gave them; the caption column grows into
    // what is left, and never below a readable width.
    void fillFirstColumn() {
        if (!model() || header()->count() == 0) {
            return;
        }
        int others = 0;
        for (int c = 1; c < header()->count(); ++c) {
            others += isColumnHidden(c) ? 0 : columnWidth(c);
        }
        setColumnWidth(0, std::max(kMinCaptionWidth, viewport()->width() - others));
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QTreeView::resizeEvent(event);
        fillFirstColumn();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        QTreeView::dragMoveEvent(event);  // auto-scroll and the indicator
        event->setAccepted(takes(event));
    }
    void dropEvent(QDropEvent* event) override {
        stopAutoScroll();
        setState(NoState);
        viewport()->update();
        if (!takes(event)) {
            event->ignore();
            return;
        }
        Node* target = nodeAt(event->position().toPoint());
        // The nodes move themselves: reporting a copy keeps the view from removing rows.
        event->setDropAction(Qt::CopyAction);
        event->accept();
        if (dropOn) {
            dropOn(target);
        }
    }

private:
    static constexpr int kMinCaptionWidth = 120;

    Node* nodeAt(const QPoint& at) const {
        const QModelIndex hit = indexAt(at);
        return hit.isValid() ? static_cast<Node*>(hit.internalPointer()) : nullptr;
    }
    bool takes(const QDropEvent* event) const {
        return event->source() == this && canDropOn &&
               canDropOn(nodeAt(event->position().toPoint()));
    }
};

}  // namespace tarnu
