#pragma once

// The ZuBook tree as a Qt item model. It reads the core tree on demand, so a ZuBook of a
// million nodes opens without copying anything, and follows the tree's own notifications row
// by row: it resets only when the tree is replaced (load, close, New).

#include <QAbstractItemModel>
#include <QIcon>
#include <QMimeData>
#include <functional>
#include <vector>

#include "app/qt_icons.h"
#include "model/tree.h"

namespace tarnu {

class ZuBookTreeModel final : public QAbstractItemModel, private TreeObserver {
    Q_OBJECT

public:
    // Columns 0 to 4; the comment (column 5) is never shown.
    static constexpr int kShownColumns = 5;

    ZuBookTreeModel(ZuTree& tree, const QtIcons& icons, QObject* parent = nullptr);
    ~ZuBookTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // Drags carry only the model's type; the view decides where they may land and moves.
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;

    Node* nodeAt(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node, int column = 0) const;

    // Puts every parent's children in sorted order now, rather than once the event loop runs.
    void sortPending() { tree_.sortPending(); }

    // The text an in-place editor starts with, and what to do with the edited text.
    std::function<QString(const Node&)> editText;
    std::function<void(Node*, const QString&)> onCaptionEdited;

signals:
    // A command expanded or collapsed the node.
    void expansionRequested(const QModelIndex& index, bool expanded);

private:
    // TreeObserver
    void nodeAboutToBeInserted(const Node* parent, std::size_t row) override;
    void nodeInserted() override;
    void nodeAboutToBeRemoved(const Node* parent, std::size_t first, std::size_t last) override;
    void nodeRemoved() override;
    void nodeAboutToBeMoved(const Node* from, std::size_t row, const Node* to,
                            std::size_t toRow) override;
    void nodeMoved() override;
    void childrenAboutToBeSorted(const Node* parent) override;
    void childrenSorted(const Node* parent) override;
    void nodeChanged(const Node* node) override;
    void nodeExpansionChanged(const Node* node) override;
    void treeAboutToBeReset() override;
    void treeReset() override;

    // Sorting waits for the event loop, so that a command's additions sort once.
    void scheduleSort();

    ZuTree& tree_;
    bool sortScheduled_ = false;
    bool moveAccepted_ = false;
    // Persistent indexes among the children being sorted, with their nodes.
    QModelIndexList sortingIndexes_;
    const QtIcons& icons_;
    QIcon broken_;
    QIcon locked_;
};

}  // namespace tarnu
