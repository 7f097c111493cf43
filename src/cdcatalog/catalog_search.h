#pragma once

// Searching the catalog for a file or directory name that contains a text. The walk goes
// node by node in pre-order from the selected node (or the topmost visible one) and selects
// the first matching item of the file list; searching again goes on after it. It runs in
// steps so that the caller decides how much work is done between window events.

#include <functional>
#include <string>
#include <string_view>

#include "cdcatalog/cd_catalog.h"

namespace tarnu {

class CatalogSearch {
public:
    CatalogSearch(CdCatalog& catalog, Ui& ui) : catalog_(catalog), ui_(ui) {}

    bool running() const { return running_; }
    // "Search" while idle, "Stop search" while running.
    std::string buttonCaption() const { return running_ ? "Stop search" : "Search"; }
    std::function<void()> onRunningChanged;
    // The node the walk has selected (views follow it).
    std::function<void(const CatalogNode*)> onNodeSelected;

    // The button and Enter: starts a search, or stops the running one. topVisible is the
    // topmost node in the tree's window, the start when nothing is selected.
    void toggle(std::string_view text, const CatalogNode* topVisible);
    // Visits up to budget nodes; false once the search has ended.
    bool step(int budget);
    void stop();

private:
    void finish(bool clearStatus);
    bool visit(const CatalogNode* node);

    CdCatalog& catalog_;
    Ui& ui_;
    bool running_ = false;
    std::string pattern_;
    const CatalogNode* next_ = nullptr;
    std::uint64_t generation_ = 0;
};

}  // namespace tarnu
