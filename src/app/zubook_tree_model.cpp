#include "app/zubook_tree_model.h"

#include <QApplication>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <unordered_map>

namespace tarnu {

namespace {

const char* const kCaptions[] = {"Files & Folders", "Full path", "Lock", "Hot key", "Type"};
const char* const kNodesMime = "application/x-tarnu-zubook-nodes";

}  // namespace

ZuBookTreeModel::ZuBookTreeModel(ZuTree& tree, const QtIcons& icons, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree), icons_(icons) {
    broken_ = QIcon::fromTheme("dialog-warning",
                               qApp->style()->standardIcon(QStyle::SP_MessageBoxWarning));
    locked_ = QIcon::fromTheme("changes-prevent",
                               qApp->style()->standardIcon(QStyle::SP_DialogApplyButton));
    tree_.addObserver(this);
}

ZuBookTreeModel::~ZuBookTreeModel() {
    tree_.removeObserver(this);
}

Node* ZuBookTreeModel::nodeAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex ZuBookTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kShownColumns) {
        return {};
    }
    const auto& children = tree_.storedChildren(nodeAt(parent));
    if (static_cast<std::size_t>(row) >= children.size()) {
        return {};
    }
    return createIndex(row, column, children[static_cast<std::size_t>(row)]);
}

QModelIndex ZuBookTreeModel::indexOf(const Node* node, int column) const {
    if (!node) {
        return {};
    }
    const std::size_t row = tree_.storedRow(node);
    if (row == tree_.storedChildren(node->parent()).size()) {
        return {};
    }
    return createIndex(static_cast<int>(row), column, const_cast<Node*>(node));
}

QModelIndex ZuBookTreeModel::parent(const QModelIndex& child) const {
    Node* node = nodeAt(child);
    return node ? indexOf(node->parent()) : QModelIndex();
}

int ZuBookTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(tree_.childCount(nodeAt(parent)));
}

int ZuBookTreeModel::columnCount(const QModelIndex&) const {
    return kShownColumns;
}

QVariant ZuBookTreeModel::data(const QModelIndex& index, int role) const {
    const Node* node = nodeAt(index);
    if (!node) {
        return {};
    }
    if (role == Qt::EditRole && index.column() == kColCaption && editText) {
        return editText(*node);
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return QString::fromStdString(std::string(node->text(index.column())));
        case Qt::DecorationRole:
            if (index.column() != kColCaption) {
                return {};
            }
            if (node->stateIndex() == kStateBroken) {
                return broken_;
            }
            if (node->stateIndex() == kStateLocked) {
                return locked_;
            }
            return icons_.icon(node->imageIndex());
        default:
            return {};
    }
}

QVariant ZuBookTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < kShownColumns) {
        return QString::fromUtf8(kCaptions[section]);
    }
    return {};
}

Qt::ItemFlags ZuBookTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (index.column() == kColCaption) {
        f |= Qt::ItemIsEditable;
    }
    if (nodeAt(index)->kind() == NodeKind::ZuFolder) {
        f |= Qt::ItemIsDropEnabled;
    }
    return f;
}

bool ZuBookTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    Node* node = nodeAt(index);
    if (!node || role != Qt::EditRole || index.column() != kColCaption || !onCaptionEdited) {
        return false;
    }
    onCaptionEdited(node, value.toString());
    return true;
}

QStringList ZuBookTreeModel::mimeTypes() const {
    return {kNodesMime};
}

// The dragged nodes are the tree's selection; the data only marks the drag as ours.
QMimeData* ZuBookTreeModel::mimeData(const QModelIndexList&) const {
    auto* data = new QMimeData;
    data->setData(kNodesMime, QByteArray());
    return data;
}

bool ZuBookTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                      const QModelIndex&) const {
    return data && data->hasFormat(kNodesMime);
}

void ZuBookTreeModel::nodeAboutToBeInserted(const Node* parent, std::size_t row) {
    const int at = static_cast<int>(row);
    beginInsertRows(indexOf(parent), at, at);
}

void ZuBookTreeModel::nodeInserted() {
    endInsertRows();
    scheduleSort();
}

void ZuBookTreeModel::nodeAboutToBeRemoved(const Node* parent, std::size_t first,
                                           std::size_t last) {
    beginRemoveRows(indexOf(parent), static_cast<int>(first), static_cast<int>(last));
}

void ZuBookTreeModel::nodeRemoved() {
    endRemoveRows();
}

void ZuBookTreeModel::nodeAboutToBeMoved(const Node* from, std::size_t row, const Node* to,
                                         std::size_t toRow) {
    const int at = static_cast<int>(row);
    moveAccepted_ = beginMoveRows(indexOf(from), at, at, indexOf(to), static_cast<int>(toRow));
    if (!moveAccepted_) {
        emit layoutAboutToBeChanged();  // not a move Qt can express: relayout instead
        sortingIndexes_ = persistentIndexList();
    }
}

void ZuBookTreeModel::nodeMoved() {
    if (moveAccepted_) {
        endMoveRows();
    } else {
        QModelIndexList now;
        for (const QModelIndex& old : sortingIndexes_) {
            now.append(indexOf(nodeAt(old), old.column()));
        }
        changePersistentIndexList(sortingIndexes_, now);
        sortingIndexes_.clear();
        emit layoutChanged();
    }
    scheduleSort();
}

void ZuBookTreeModel::childrenAboutToBeSorted(const Node* parent) {
    const QPersistentModelIndex parentIndex(indexOf(parent));
    emit layoutAboutToBeChanged({parentIndex}, QAbstractItemModel::VerticalSortHint);
    sortingIndexes_.clear();
    for (const QModelIndex& index : persistentIndexList()) {
        if (nodeAt(index) && nodeAt(index)->parent() == parent) {
            sortingIndexes_.append(index);
        }
    }
}

void ZuBookTreeModel::childrenSorted(const Node* parent) {
    std::unordered_map<const Node*, int> rows;
    if (!sortingIndexes_.isEmpty()) {
        const auto& children = tree_.storedChildren(parent);
        rows.reserve(children.size());
        for (std::size_t r = 0; r < children.size(); ++r) {
            rows.emplace(children[r], static_cast<int>(r));
        }
    }
    QModelIndexList now;
    for (const QModelIndex& old : sortingIndexes_) {
        Node* node = nodeAt(old);
        now.append(createIndex(rows.at(node), old.column(), node));
    }
    changePersistentIndexList(sortingIndexes_, now);
    sortingIndexes_.clear();
    emit layoutChanged({QPersistentModelIndex(indexOf(parent))},
                       QAbstractItemModel::VerticalSortHint);
}

void ZuBookTreeModel::nodeChanged(const Node* node) {
    QModelIndex first = indexOf(node, 0);
    if (first.isValid()) {
        emit dataChanged(first, first.siblingAtColumn(kShownColumns - 1));
    }
    scheduleSort();
}

void ZuBookTreeModel::nodeExpansionChanged(const Node* node) {
    emit expansionRequested(indexOf(node), node->isExpanded());
}

void ZuBookTreeModel::treeAboutToBeReset() {
    beginResetModel();
}

void ZuBookTreeModel::treeReset() {
    endResetModel();
}

void ZuBookTreeModel::scheduleSort() {
    if (sortScheduled_) {
        return;
    }
    sortScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        sortScheduled_ = false;
        tree_.sortPending();
    });
}

}  // namespace tarnu
