#pragma once

// The ZuBook tree: nodes with six text columns, three picture indices, an expansion flag,
// an optional link record and children kept sorted by column 0.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/collation.h"
#include "platform/lock_handle.h"

namespace tarnu {

// Column indices.
enum Column : int {
    kColCaption = 0,
    kColPath = 1,
    kColLock = 2,
    kColHotKey = 3,
    kColKind = 4,
    kColComment = 5,
};
inline constexpr int kColumnCount = 6;

// Node kinds, as column 4 holds them.
inline constexpr std::string_view kKindZuFolder = "ZuFolder";
inline constexpr std::string_view kKindFolder = "Folder";
inline constexpr std::string_view kKindFile = "File";

// The kinds as the code tells them apart; files keep the texts above.
enum class NodeKind { None, ZuFolder, Folder, File };
constexpr NodeKind kindOf(std::string_view text) {
    return text == kKindZuFolder ? NodeKind::ZuFolder
           : text == kKindFolder ? NodeKind::Folder
           : text == kKindFile   ? NodeKind::File
                                 : NodeKind::None;
}
constexpr std::string_view kindText(NodeKind kind) {
    switch (kind) {
        case NodeKind::ZuFolder:
            return kKindZuFolder;
        case NodeKind::Folder:
            return kKindFolder;
        case NodeKind::File:
            return kKindFile;
        case NodeKind::None:
            break;
    }
    return {};
}

// State pictures.
inline constexpr int kStateNone = -1;
inline constexpr int kStateBroken = 3;
inline constexpr int kStateLocked = 4;

// Kept only on file and folder links that are locked or have a hot key.
struct LinkRecord {
    LockHandle lockHandle = kNoLock;
    std::uint16_t hotKey = 0;

    bool empty() const { return lockHandle == kNoLock && hotKey == 0; }
};

class ZuTree;
class Node;

// Follows every change of a tree, in stored child positions: the rows a view shows are the
// children as they are stored, and the tree tells before it sorts them. Every call comes in
// an about/done pair, with nothing else in between.
class TreeObserver {
public:
    virtual ~TreeObserver() = default;
    // A new last child of parent (null: the top level) at row.
    virtual void nodeAboutToBeInserted(const Node* /*parent*/, std::size_t /*row*/) {}
    virtual void nodeInserted() {}
    // Rows first to last of parent go, with their subtrees.
    virtual void nodeAboutToBeRemoved(const Node* /*parent*/, std::size_t /*first*/,
                                      std::size_t /*last*/) {}
    virtual void nodeRemoved() {}
    // The node at row of from becomes the child at toRow of to (rows before the move).
    virtual void nodeAboutToBeMoved(const Node* /*from*/, std::size_t /*row*/, const Node* /*to*/,
                                    std::size_t /*toRow*/) {}
    virtual void nodeMoved() {}
    // The children of parent are about to take their sorted order.
    virtual void childrenAboutToBeSorted(const Node* /*parent*/) {}
    virtual void childrenSorted(const Node* /*parent*/) {}
    // Texts or pictures of one node.
    virtual void nodeChanged(const Node* /*node*/) {}
    // Only the pictures of one node (icon, state mark); told to nodeChanged unless taken here.
    virtual void nodePictureChanged(const Node* node) { nodeChanged(node); }
    // A command asked for the node's expansion to change.
    virtual void nodeExpansionChanged(const Node* /*node*/) {}
    // The whole tree is replaced (load, close, new): nothing is told in between.
    virtual void treeAboutToBeReset() {}
    virtual void treeReset() {}
};

class Node {
public:
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // Empty when the node holds fewer than i + 1 values.
    std::string_view text(int column) const;
    // One more than the highest column ever set (or as read from a stream).
    int valueCount() const { return valueCount_; }
    NodeKind kind() const { return kindOf(text(kColKind)); }

    Node* parent() const { return parent_; }
    std::size_t childCount() const { return children_.size(); }

    int imageIndex() const { return image_; }
    int selectedImageIndex() const { return selectedImage_; }
    int stateIndex() const { return state_; }
    void setImageIndex(int index) { image_ = index; }
    void setSelectedImageIndex(int index) { selectedImage_ = index; }
    void setStateIndex(int index) { state_ = index; }

    bool isExpanded() const { return expanded_; }
    void setExpanded(bool expanded) { expanded_ = expanded; }
    bool isSelected() const { return selected_; }

    LinkRecord* linkRecord() const { return link_.get(); }
    // Creates the record (both fields empty) when the node has none.
    LinkRecord& ensureLinkRecord();
    void freeLinkRecord() { link_.reset(); }

private:
    friend class ZuTree;
    Node() = default;

    void setValue(int column, std::string_view value);
    void setValues(std::span<const std::string> values);
    void assignValues(const std::string_view* texts, int count);

    Node* parent_ = nullptr;
    std::vector<Node*> children_;
    // children_[0, sortedCount_) are in order; later ones were appended since the last sort.
    std::uint32_t sortedCount_ = 0;
    // All values one after the other, allocated to size; ends_[i] is where value i ends.
    std::unique_ptr<char[]> values_;
    std::array<std::uint32_t, kColumnCount> ends_{};
    std::int32_t image_ = 0;
    std::int32_t selectedImage_ = -1;
    std::int32_t state_ = kStateNone;
    std::uint8_t valueCount_ = 0;
    bool expanded_ = false;
    bool selected_ = false;
    std::unique_ptr<LinkRecord> link_;
};

class ZuTree {
public:
    // The collation must outlive the tree.
    explicit ZuTree(const Collation& collation);
    ~ZuTree();
    ZuTree(const ZuTree&) = delete;
    ZuTree& operator=(const ZuTree&) = delete;

    const Collation& collation() const { return *collation_; }

    // Observers must outlive the tree or be removed before they go.
    void addObserver(TreeObserver* observer);
    void removeObserver(TreeObserver* observer);

    // Marks a wholesale change: the observers are told once before and once after, and
    // nothing in between. Nests.
    class Rebuild {
    public:
        explicit Rebuild(ZuTree& tree);
        ~Rebuild();
        Rebuild(const Rebuild&) = delete;
        Rebuild& operator=(const Rebuild&) = delete;

    private:
        ZuTree& tree_;
    };

    // A new node as a child of parent, or a top-level node when parent is null. It takes its
    // sorted place among its siblings when they are next looked at.
    Node* addChild(Node* parent);
    void setText(Node* node, int column, std::string_view value);
    // Pictures and expansion, with the observers told.
    void setStateIndex(Node* node, int index);
    void pictureChanged(const Node* node);
    void setExpanded(Node* node, bool expanded);
    // Sets columns 0 to n-1 at once (values past the last column are dropped).
    void setTexts(Node* node, std::span<const std::string> values);

    // Children and top-level nodes, sorted by column 0.
    const std::vector<Node*>& children(const Node* parent) const;
    // The children as stored: sorted, except for those added or renamed since the last look
    // at children() or sortPending(). Views read these, so that a look never re-sorts.
    const std::vector<Node*>& storedChildren(const Node* parent) const {
        return parentOrRoot(parent)->children_;
    }
    // The node's position among storedChildren(), or the count when it is not there.
    std::size_t storedRow(const Node* node) const;
    // Sorts every parent whose children are out of order, telling the observers.
    void sortPending();
    const std::vector<Node*>& topLevel() const { return children(nullptr); }
    std::size_t childCount(const Node* parent) const;
    Node* firstTopLevel() const;
    bool empty() const { return root_->children_.empty(); }
    std::size_t nodeCount() const { return nodeCount_; }

    // Flat order: pre-order over the whole tree, expansion aside.
    Node* nextInFlatOrder(const Node* node) const;
    // The node's position in flat order, counted from 0.
    std::size_t flatPosition(const Node* node) const;
    // The node at a flat position, or null past the last one.
    Node* nodeAtFlatPosition(std::size_t position) const;
    // Calls visit for every node in flat order until it returns false.
    void forEachInFlatOrder(const std::function<bool(Node*)>& visit) const;

    // Deleting a node deletes its subtree; the hook sees every node before it goes.
    void setDeleteHook(std::function<void(Node&)> hook) { deleteHook_ = std::move(hook); }
    void deleteNode(Node* node);
    // Deletes several nodes at once (and their subtrees); nodes inside another listed
    // node's subtree are taken with it.
    void deleteNodes(const std::vector<Node*>& nodes);
    void clear();

    // Makes the node the last child of newParent (the top level when null); it takes its
    // sorted place when its new siblings are next looked at. Refuses (false) a move into the
    // node itself or its own subtree. A moved node leaves the selection, which holds only
    // siblings; the other selected nodes stay selected.
    bool moveNode(Node* node, Node* newParent);

    // Selection: only siblings are selected together.
    bool select(Node* node);
    void deselect(Node* node);
    void clearSelection();
    // The selected nodes in tree order.
    std::vector<Node*> selection() const;
    std::size_t selectionCount() const { return selectionCount_; }

private:
    Node* parentOrRoot(const Node* parent) const {
        return parent ? const_cast<Node*>(parent) : root_.get();
    }
    void sortChildren(Node* parent) const;
    void captionChanged(Node* node);
    std::size_t indexInParent(const Node* node) const;
    void detach(Node* node);
    void destroySubtree(Node* node);
    bool notifying() const { return !observers_.empty() && muted_ == 0; }
    template <typename Call>
    void tell(Call call) const {
        if (notifying()) {
            for (TreeObserver* observer : observers_) {
                call(*observer);
            }
        }
    }
    void markUnsorted(Node* owner);
    void removeRuns(Node* owner, const std::unordered_set<Node*>& doomed);

    const Collation* collation_;
    std::unique_ptr<Node> root_;  // holds the top-level nodes as its children
    std::size_t nodeCount_ = 0;
    std::size_t selectionCount_ = 0;
    Node* selectionParent_ = nullptr;  // parent shared by the selected nodes (root_ for top)
    std::function<void(Node&)> deleteHook_;
    std::vector<TreeObserver*> observers_;
    int muted_ = 0;
    // Parents with children out of order, kept while anyone observes.
    mutable std::unordered_set<Node*> unsorted_;
};

}  // namespace tarnu
