#pragma once

// The ZuBook tree as a Qt item model. It reads the core tree on demand, so a ZuBook of a
// million nodes opens without copying anything.

#include <QAbstractItemModel>
#include <QIcon>
#include <QMimeData>
#include <functional>

#include "app/qt_icons.h"
#include "model/tree.h"

namespace tarnu {

class ZuBookTreeModel final : public QAbstractItemModel {
    Q_OBJECT

public:
    // Columns 0 to 4; the comment (column 5) is never shown.
    static constexpr int kShownColumns = 5;

    ZuBookTreeModel(ZuTree& tree, const QtIcons& icons, QObject* parent = nullptr);

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
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    Node* nodeAt(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node, int column = 0) const;

    // The tree changed shape: views read it anew.
    void reload();
    // Texts or pictures of one node changed.
    void nodeChanged(const Node* node);

    // The text an in-place editor starts with, and what to do with the edited text.
    std::function<QString(const Node&)> editText;
    std::function<void(Node*, const QString&)> onCaptionEdited;
    // Drag and drop inside the tree: whether a drop onto the node (null: empty space) is
    // taken, and the move itself. Only drags from this tree carry the model's type.
    std::function<bool(const Node* target)> canDropOn;
    std::function<void(Node* target)> dropOn;

private:
    ZuTree& tree_;
    const QtIcons& icons_;
    QIcon broken_;
    QIcon locked_;
};

}  // namespace tarnu
