#include "app/zubook_tree_model.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>

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
}

Node* ZuBookTreeModel::nodeAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex ZuBookTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kShownColumns) {
        return {};
    }
    const auto& children = tree_.children(nodeAt(parent));
    if (static_cast<std::size_t>(row) >= children.size()) {
        return {};
    }
    return createIndex(row, column, children[static_cast<std::size_t>(row)]);
}

QModelIndex ZuBookTreeModel::indexOf(const Node* node, int column) const {
    if (!node) {
        return {};
    }
    const auto& siblings = tree_.children(node->parent());
    auto it = std::find(siblings.begin(), siblings.end(), node);
    if (it == siblings.end()) {
        return {};
    }
    return createIndex(static_cast<int>(it - siblings.begin()), column, const_cast<Node*>(node));
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
    if (nodeAt(index)->kind() == kKindZuFolder) {
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
                                      const QModelIndex& parent) const {
    return data && data->hasFormat(kNodesMime) && canDropOn && canDropOn(nodeAt(parent));
}

bool ZuBookTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                   int column, const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent) || !dropOn) {
        return false;
    }
    dropOn(nodeAt(parent));
    return false;  // the nodes moved themselves: the view must not remove any rows
}

void ZuBookTreeModel::reload() {
    beginResetModel();
    endResetModel();
}

void ZuBookTreeModel::nodeChanged(const Node* node) {
    QModelIndex first = indexOf(node, 0);
    if (first.isValid()) {
        emit dataChanged(first, first.siblingAtColumn(kShownColumns - 1));
    }
}

}  // namespace tarnu
