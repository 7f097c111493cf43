#include "operations/tree_busy.h"

namespace tarnu {

TreeViewUpdate::TreeViewUpdate(TreeViewHooks* view, bool busyCursor)
    : view_(view), busyCursor_(busyCursor) {
    if (view_ && busyCursor_) {
        view_->setBusyCursor(true);
    }
    if (view_) {
        view_->beginUpdate();
    }
}

TreeViewUpdate::~TreeViewUpdate() {
    if (view_) {
        view_->endUpdate();
    }
    if (view_ && busyCursor_) {
        view_->setBusyCursor(false);
    }
}

}  // namespace tarnu
