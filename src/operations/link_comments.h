#pragma once

// The link-comment panel's text and the node it belongs to.

#include <functional>
#include <string>

#include "model/tree.h"

namespace tarnu {

// Typed text always reaches the node whose comment the panel showed when the typing began:
// when the focus moves on, and before a save, a close or the end of the program. A node
// that is deleted takes its unsaved text with it.
class LinkComments final : private TreeObserver {
public:
    // The tree must outlive this object.
    explicit LinkComments(ZuTree& tree);
    ~LinkComments() override;
    LinkComments(const LinkComments&) = delete;
    LinkComments& operator=(const LinkComments&) = delete;

    // TreeListChangeNode: with exactly one node selected, the panel's text goes into the
    // node it belongs to and the panel shows the comment of the newly focused node. With
    // no selection or several selected nodes the panel stays as it is.
    void focusChanged(Node* focused);
    // The user changed the panel's text.
    void edited(std::string text);
    // Puts typed text into its node.
    void store();

    const std::string& text() const { return text_; }
    const Node* owner() const { return owner_; }

    // The panel's text changed without the user typing: the view shows text() anew.
    std::function<void()> onShownChanged;

private:
    void show(Node* node);
    bool ownerWithin(const Node* parent, std::size_t first, std::size_t last) const;
    void nodeAboutToBeRemoved(const Node* parent, std::size_t first, std::size_t last) override;
    void treeAboutToBeReset() override;

    ZuTree& tree_;
    Node* owner_ = nullptr;
    std::string text_;
    bool typed_ = false;
};

}  // namespace tarnu
