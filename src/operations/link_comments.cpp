#include "operations/link_comments.h"

namespace tarnu {

LinkComments::LinkComments(ZuTree& tree) : tree_(tree) {
    tree_.addObserver(this);
}

LinkComments::~LinkComments() {
    tree_.removeObserver(this);
}

void LinkComments::focusChanged(Node* focused) {
    if (tree_.selectionCount() != 1 || focused == owner_) {
        return;
    }
    store();
    show(focused);
}

void LinkComments::edited(std::string text) {
    if (owner_ != nullptr && text != text_) {
        text_ = std::move(text);
        typed_ = true;
    }
}

void LinkComments::store() {
    if (typed_ && owner_ != nullptr && owner_->text(kColComment) != text_) {
        tree_.setText(owner_, kColComment, text_);
    }
    typed_ = false;
}

void LinkComments::show(Node* node) {
    owner_ = node;
    text_ = node ? std::string(node->text(kColComment)) : std::string();
    typed_ = false;
    if (onShownChanged) {
        onShownChanged();
    }
}

bool LinkComments::ownerWithin(const Node* parent, std::size_t first, std::size_t last) const {
    for (const Node* up = owner_; up != nullptr; up = up->parent()) {
        if (up->parent() == parent) {
            const std::size_t row = tree_.storedRow(up);
            return row >= first && row <= last;
        }
    }
    return false;
}

void LinkComments::nodeAboutToBeRemoved(const Node* parent, std::size_t first, std::size_t last) {
    if (owner_ != nullptr && ownerWithin(parent, first, last)) {
        show(nullptr);
    }
}

void LinkComments::treeAboutToBeReset() {
    show(nullptr);
}

}  // namespace tarnu
