#pragma once

// What a command that lets the event loop run needs: the busy mark that keeps the tree's
// nodes alive meanwhile, and the hooks through which it asks the view to hold its repainting.

#include "model/tree.h"

namespace tarnu {

// Set while a command holds nodes across a call that lets other commands run (the folder
// scan's event pump, a prompt about the focused node). While it is set, closing or
// replacing the ZuBook and deleting nodes must be refused. A program that wants to close
// meanwhile calls requestStop() and closes once the running command has returned.
class TreeBusy {
public:
    bool busy() const { return holds_ > 0; }
    bool stopRequested() const { return stop_; }
    void requestStop() { stop_ = busy(); }

    class Hold {
    public:
        explicit Hold(TreeBusy& busy) : busy_(busy) { ++busy_.holds_; }
        ~Hold() {
            if (--busy_.holds_ == 0) {
                busy_.stop_ = false;
            }
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        TreeBusy& busy_;
    };

private:
    int holds_ = 0;
    bool stop_ = false;
};

// What the tree's view does around a change; every call is optional.
class TreeViewHooks {
public:
    virtual ~TreeViewHooks() = default;
    // Suspends repainting.
    virtual void beginUpdate() {}
    // Resumes repainting, showing the tree as it is now.
    virtual void endUpdate() {}
    // Scrolls the node into sight, expanding its ancestors.
    virtual void reveal(const Node& /*node*/) {}
    virtual void setBusyCursor(bool /*busy*/) {}
};

// Suspends the view's repainting (and shows the busy cursor when asked) for a scope.
class TreeViewUpdate {
public:
    explicit TreeViewUpdate(TreeViewHooks* view, bool busyCursor = false);
    ~TreeViewUpdate();
    TreeViewUpdate(const TreeViewUpdate&) = delete;
    TreeViewUpdate& operator=(const TreeViewUpdate&) = delete;

private:
    TreeViewHooks* view_;
    bool busyCursor_;
};

}  // namespace tarnu
