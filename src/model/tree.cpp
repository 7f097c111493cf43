#include "model/tree.h"

#include <algorithm>
#include <unordered_set>

namespace tarnu {

std::string_view Node::text(int column) const {
    if (column < 0 || column >= valueCount_) {
        return {};
    }
    std::uint32_t begin = column == 0 ? 0 : ends_[column - 1];
    return {values_.get() + begin, ends_[column] - begin};
}

void Node::setValue(int column, std::string_view value) {
    std::array<std::string_view, kColumnCount> texts;
    int count = std::max<int>(valueCount_, column + 1);
    for (int i = 0; i < count; ++i) {
        texts[i] = i == column ? value : text(i);
    }
    assignValues(texts.data(), count);
}

void Node::setValues(std::span<const std::string> values) {
    std::array<std::string_view, kColumnCount> texts;
    int count = static_cast<int>(std::min<std::size_t>(values.size(), kColumnCount));
    std::copy_n(values.begin(), count, texts.begin());
    assignValues(texts.data(), count);
}

void Node::assignValues(const std::string_view* texts, int count) {
    std::uint32_t size = 0;
    for (int i = 0; i < count; ++i) {
        size += static_cast<std::uint32_t>(texts[i].size());
    }
    // One exact allocation per node keeps a million-node tree small; none for empty texts.
    auto buffer = size > 0 ? std::make_unique_for_overwrite<char[]>(size) : nullptr;
    std::uint32_t at = 0;
    for (int i = 0; i < count; ++i) {
        std::copy(texts[i].begin(), texts[i].end(), buffer.get() + at);
        at += static_cast<std::uint32_t>(texts[i].size());
        ends_[i] = at;
    }
    values_ = std::move(buffer);
    valueCount_ = static_cast<std::uint8_t>(count);
}

LinkRecord& Node::ensureLinkRecord() {
    if (!link_) {
        link_ = std::make_unique<LinkRecord>();
    }
    return *link_;
}

ZuTree::ZuTree(const Collation& collation) : collation_(&collation), root_(new Node()) {}

ZuTree::~ZuTree() {
    deleteHook_ = nullptr;
    observers_.clear();
    clear();
}

void ZuTree::addObserver(TreeObserver* observer) {
    observers_.push_back(observer);
}

void ZuTree::removeObserver(TreeObserver* observer) {
    std::erase(observers_, observer);
    if (observers_.empty()) {
        unsorted_.clear();
    }
}

ZuTree::Rebuild::Rebuild(ZuTree& tree) : tree_(tree) {
    if (tree_.muted_++ == 0) {
        for (TreeObserver* observer : tree_.observers_) {
            observer->treeAboutToBeReset();
        }
    }
}

ZuTree::Rebuild::~Rebuild() {
    if (--tree_.muted_ == 0) {
        tree_.unsorted_.clear();
        for (TreeObserver* observer : tree_.observers_) {
            observer->treeReset();
        }
    }
}

Node* ZuTree::addChild(Node* parent) {
    Node* owner = parentOrRoot(parent);
    auto* node = new Node();
    node->parent_ = parent;
    tell([&](TreeObserver& o) { o.nodeAboutToBeInserted(parent, owner->children_.size()); });
    owner->children_.push_back(node);
    ++nodeCount_;
    tell([](TreeObserver& o) { o.nodeInserted(); });
    markUnsorted(owner);
    return node;
}

void ZuTree::markUnsorted(Node* owner) {
    if (!notifying()) {
        return;
    }
    if (owner->children_.size() <= 1) {
        owner->sortedCount_ = static_cast<std::uint32_t>(owner->children_.size());
    } else if (owner->sortedCount_ < owner->children_.size()) {
        unsorted_.insert(owner);
    }
}

void ZuTree::setTexts(Node* node, std::span<const std::string> values) {
    node->setValues(values);
    captionChanged(node);
    tell([node](TreeObserver& o) { o.nodeChanged(node); });
}

void ZuTree::setText(Node* node, int column, std::string_view value) {
    if (column < 0 || column >= kColumnCount) {
        return;
    }
    node->setValue(column, value);
    if (column == kColCaption) {
        captionChanged(node);
    }
    tell([node](TreeObserver& o) { o.nodeChanged(node); });
}

void ZuTree::setStateIndex(Node* node, int index) {
    node->setStateIndex(index);
    pictureChanged(node);
}

void ZuTree::pictureChanged(const Node* node) {
    tell([node](TreeObserver& o) { o.nodePictureChanged(node); });
}

void ZuTree::setExpanded(Node* node, bool expanded) {
    if (node->isExpanded() != expanded) {
        node->setExpanded(expanded);
        tell([node](TreeObserver& o) { o.nodeExpansionChanged(node); });
    }
}

std::size_t ZuTree::storedRow(const Node* node) const {
    const auto& siblings = parentOrRoot(node->parent_)->children_;
    return static_cast<std::size_t>(std::find(siblings.begin(), siblings.end(), node) -
                                    siblings.begin());
}

void ZuTree::captionChanged(Node* node) {
    // A new caption may belong elsewhere among the siblings: move the node to the unsorted
    // tail. Fresh nodes are already there (they sit at the end, so the search is short).
    Node* owner = parentOrRoot(node->parent_);
    auto& siblings = owner->children_;
    if (owner->sortedCount_ == 0) {
        return;
    }
    auto it = std::find(siblings.rbegin(), siblings.rend(), node).base() - 1;
    auto index = static_cast<std::size_t>(it - siblings.begin());
    if (index < owner->sortedCount_) {
        const bool last = index + 1 == siblings.size();
        if (!last) {
            tell([&](TreeObserver& o) {
                o.nodeAboutToBeMoved(node->parent_, index, node->parent_, siblings.size());
            });
        }
        std::rotate(it, it + 1, siblings.end());
        --owner->sortedCount_;
        if (!last) {
            tell([](TreeObserver& o) { o.nodeMoved(); });
        }
        markUnsorted(owner);
    }
}

void ZuTree::sortPending() {
    while (!unsorted_.empty()) {
        sortChildren(*unsorted_.begin());
    }
}

void ZuTree::sortChildren(Node* owner) const {
    auto& c = owner->children_;
    std::size_t sorted = owner->sortedCount_;
    unsorted_.erase(owner);
    if (sorted == c.size()) {
        return;
    }
    auto before = [this](const Node* a, const Node* b) {
        return collation_->compare(a->text(kColCaption), b->text(kColCaption)) < 0;
    };
    const Node* parent = owner == root_.get() ? nullptr : owner;
    if (sorted > 0 && c.size() - sorted <= 8) {
        // A few additions: binary insertion keeps the cost at O(log n) comparisons each, and
        // a view sees each as one move.
        for (std::size_t i = sorted; i < c.size(); ++i) {
            auto at = std::upper_bound(c.begin(), c.begin() + static_cast<std::ptrdiff_t>(i), c[i],
                                       before);
            const auto to = static_cast<std::size_t>(at - c.begin());
            if (to == i) {
                continue;
            }
            tell([&](TreeObserver& o) { o.nodeAboutToBeMoved(parent, i, parent, to); });
            std::rotate(at, c.begin() + static_cast<std::ptrdiff_t>(i),
                        c.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            tell([](TreeObserver& o) { o.nodeMoved(); });
        }
    } else {
        tell([parent](TreeObserver& o) { o.childrenAboutToBeSorted(parent); });
        auto tailBegin = c.begin() + static_cast<std::ptrdiff_t>(sorted);
        std::vector<std::string_view> captions;
        captions.reserve(c.size() - sorted);
        for (auto it = tailBegin; it != c.end(); ++it) {
            captions.push_back((*it)->text(kColCaption));
        }
        auto order = collation_->sortedOrder(captions);
        std::vector<Node*> tail;
        tail.reserve(order.size());
        for (auto i : order) {
            tail.push_back(tailBegin[i]);
        }
        std::copy(tail.begin(), tail.end(), tailBegin);
        std::inplace_merge(c.begin(), tailBegin, c.end(), before);
        owner->sortedCount_ = static_cast<std::uint32_t>(c.size());
        tell([parent](TreeObserver& o) { o.childrenSorted(parent); });
    }
    owner->sortedCount_ = static_cast<std::uint32_t>(c.size());
}

const std::vector<Node*>& ZuTree::children(const Node* parent) const {
    Node* owner = parentOrRoot(parent);
    sortChildren(owner);
    return owner->children_;
}

std::size_t ZuTree::childCount(const Node* parent) const {
    return parentOrRoot(parent)->children_.size();
}

Node* ZuTree::firstTopLevel() const {
    const auto& top = topLevel();
    return top.empty() ? nullptr : top.front();
}

std::size_t ZuTree::indexInParent(const Node* node) const {
    const auto& siblings = children(node->parent_);
    return static_cast<std::size_t>(std::find(siblings.begin(), siblings.end(), node) -
                                    siblings.begin());
}

Node* ZuTree::nextInFlatOrder(const Node* node) const {
    if (!node) {
        return nullptr;
    }
    if (!node->children_.empty()) {
        return children(node).front();
    }
    while (node) {
        const auto& siblings = children(node->parent_);
        std::size_t next = indexInParent(node) + 1;
        if (next < siblings.size()) {
            return siblings[next];
        }
        node = node->parent_;
    }
    return nullptr;
}

void ZuTree::forEachInFlatOrder(const std::function<bool(Node*)>& visit) const {
    // An explicit stack: a ZuBook may nest far deeper than the call stack allows.
    std::vector<std::pair<const std::vector<Node*>*, std::size_t>> stack;
    stack.emplace_back(&topLevel(), 0);
    while (!stack.empty()) {
        auto& [list, index] = stack.back();
        if (index == list->size()) {
            stack.pop_back();
            continue;
        }
        Node* node = (*list)[index++];
        if (!visit(node)) {
            return;
        }
        if (!node->children_.empty()) {
            stack.emplace_back(&children(node), 0);
        }
    }
}

std::size_t ZuTree::flatPosition(const Node* node) const {
    std::size_t position = 0;
    bool found = false;
    forEachInFlatOrder([&](Node* n) {
        found = n == node;
        position += found ? 0 : 1;
        return !found;
    });
    return position;
}

Node* ZuTree::nodeAtFlatPosition(std::size_t position) const {
    Node* result = nullptr;
    forEachInFlatOrder([&](Node* n) {
        if (position-- == 0) {
            result = n;
            return false;
        }
        return true;
    });
    return result;
}

void ZuTree::detach(Node* node) {
    Node* owner = parentOrRoot(node->parent_);
    auto& siblings = owner->children_;
    auto it = std::find(siblings.begin(), siblings.end(), node);
    if (static_cast<std::size_t>(it - siblings.begin()) < owner->sortedCount_) {
        --owner->sortedCount_;
    }
    siblings.erase(it);
}

void ZuTree::destroySubtree(Node* top) {
    std::vector<Node*> pending{top};
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if (deleteHook_) {
            deleteHook_(*node);
        }
        if (!unsorted_.empty()) {
            unsorted_.erase(node);
        }
        if (node->selected_) {
            --selectionCount_;
        }
        pending.insert(pending.end(), node->children_.rbegin(), node->children_.rend());
        delete node;
        --nodeCount_;
    }
    if (selectionCount_ == 0) {
        selectionParent_ = nullptr;
    }
}

void ZuTree::deleteNode(Node* node) {
    const std::size_t row = storedRow(node);
    tell([&](TreeObserver& o) { o.nodeAboutToBeRemoved(node->parent_, row, row); });
    detach(node);
    tell([](TreeObserver& o) { o.nodeRemoved(); });
    destroySubtree(node);
}

void ZuTree::deleteNodes(const std::vector<Node*>& nodes) {
    std::unordered_set<Node*> listed(nodes.begin(), nodes.end());
    auto insideListed = [&listed](Node* node) {
        for (Node* up = node->parent_; up; up = up->parent_) {
            if (listed.count(up)) {
                return true;
            }
        }
        return false;
    };
    std::vector<Node*> tops;
    std::unordered_set<Node*> owners;
    for (Node* node : listed) {
        if (!insideListed(node)) {
            tops.push_back(node);
            owners.insert(parentOrRoot(node->parent_));
        }
    }
    std::unordered_set<Node*> doomed(tops.begin(), tops.end());
    for (Node* owner : owners) {
        if (notifying()) {
            removeRuns(owner, doomed);
            continue;
        }
        // One pass over each parent's children, however many of them go.
        auto& c = owner->children_;
        std::uint32_t keptSorted = 0;
        for (std::size_t i = 0; i < owner->sortedCount_; ++i) {
            keptSorted += doomed.count(c[i]) ? 0 : 1;
        }
        c.erase(std::remove_if(c.begin(), c.end(), [&](Node* n) { return doomed.count(n) > 0; }),
                c.end());
        owner->sortedCount_ = keptSorted;
    }
    for (Node* node : tops) {
        destroySubtree(node);
    }
}

void ZuTree::removeRuns(Node* owner, const std::unordered_set<Node*>& doomed) {
    // Each run of neighbours goes in one step, from the back so that rows stay valid.
    auto& c = owner->children_;
    const Node* parent = owner == root_.get() ? nullptr : owner;
    std::size_t end = c.size();
    while (end > 0) {
        if (!doomed.count(c[end - 1])) {
            --end;
            continue;
        }
        std::size_t first = end - 1;
        while (first > 0 && doomed.count(c[first - 1])) {
            --first;
        }
        tell([&](TreeObserver& o) { o.nodeAboutToBeRemoved(parent, first, end - 1); });
        const std::size_t sortedGone = first < owner->sortedCount_
                                           ? std::min<std::size_t>(end, owner->sortedCount_) - first
                                           : 0;
        owner->sortedCount_ -= static_cast<std::uint32_t>(sortedGone);
        c.erase(c.begin() + static_cast<std::ptrdiff_t>(first),
                c.begin() + static_cast<std::ptrdiff_t>(end));
        tell([](TreeObserver& o) { o.nodeRemoved(); });
        end = first;
    }
}

bool ZuTree::moveNode(Node* node, Node* newParent) {
    for (const Node* up = newParent; up; up = up->parent_) {
        if (up == node) {
            return false;
        }
    }
    deselect(node);
    Node* owner = parentOrRoot(newParent);
    const std::size_t row = storedRow(node);
    if (node->parent_ == newParent && row + 1 == owner->children_.size()) {
        return true;  // already the last child
    }
    tell([&](TreeObserver& o) {
        o.nodeAboutToBeMoved(node->parent_, row, newParent, owner->children_.size());
    });
    detach(node);
    node->parent_ = newParent;
    owner->children_.push_back(node);
    tell([](TreeObserver& o) { o.nodeMoved(); });
    markUnsorted(owner);
    return true;
}

void ZuTree::clear() {
    Rebuild rebuild(*this);
    auto top = std::move(root_->children_);
    root_->children_.clear();
    root_->sortedCount_ = 0;
    for (Node* node : top) {
        destroySubtree(node);
    }
    selectionCount_ = 0;
    selectionParent_ = nullptr;
}

bool ZuTree::select(Node* node) {
    Node* owner = parentOrRoot(node->parent_);
    if (node->selected_) {
        return true;
    }
    if (selectionCount_ > 0 && owner != selectionParent_) {
        return false;
    }
    node->selected_ = true;
    selectionParent_ = owner;
    ++selectionCount_;
    return true;
}

void ZuTree::deselect(Node* node) {
    if (!node->selected_) {
        return;
    }
    node->selected_ = false;
    if (--selectionCount_ == 0) {
        selectionParent_ = nullptr;
    }
}

void ZuTree::clearSelection() {
    if (selectionParent_) {
        for (Node* node : selectionParent_->children_) {
            node->selected_ = false;
        }
    }
    selectionCount_ = 0;
    selectionParent_ = nullptr;
}

std::vector<Node*> ZuTree::selection() const {
    std::vector<Node*> selected;
    if (!selectionParent_) {
        return selected;
    }
    selected.reserve(selectionCount_);
    for (Node* node : children(selectionParent_ == root_.get() ? nullptr : selectionParent_)) {
        if (node->selected_) {
            selected.push_back(node);
        }
    }
    return selected;
}

}  // namespace tarnu
