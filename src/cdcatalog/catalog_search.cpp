#include "cdcatalog/catalog_search.h"

#include "model/wildcard.h"

namespace tarnu {

namespace {
constexpr std::size_t kMaxSearchText = 255;
}

void CatalogSearch::toggle(std::string_view text, const CatalogNode* topVisible) {
    if (text.empty()) {
        return;
    }
    if (running_) {
        stop();
        return;
    }
    running_ = true;
    if (onRunningChanged) {
        onRunningChanged();
    }
    pattern_ = "*" + std::string(text.substr(0, kMaxSearchText)) + "*";
    next_ = catalog_.selected() ? catalog_.selected() : topVisible;
    generation_ = catalog_.generation();
    if (!next_) {
        finish(true);
    }
}

void CatalogSearch::stop() {
    if (running_) {
        finish(true);
    }
}

void CatalogSearch::finish(bool clearStatus) {
    running_ = false;
    next_ = nullptr;
    if (clearStatus) {
        ui_.setStatus(kCatalogStatusPanel, "");
    }
    if (onRunningChanged) {
        onRunningChanged();
    }
}

bool CatalogSearch::visit(const CatalogNode* node) {
    if (node->kind() == CatalogLevel::Catalog) {
        return false;
    }
    if (node->kind() == CatalogLevel::Cd) {
        ui_.setStatus(kCatalogStatusPanel, "Current CD: " + node->text());
    }
    catalog_.select(node);
    if (onNodeSelected) {
        onNodeSelected(node);
    }
    const auto& items = catalog_.list();
    for (std::size_t i = static_cast<std::size_t>(catalog_.selectedItem() + 1); i < items.size();
         ++i) {
        if (wildcardMatch(pattern_, items[i].caption, false)) {
            catalog_.selectItem(static_cast<int>(i));
            if (catalog_.onListChanged) {
                catalog_.onListChanged();
            }
            return true;
        }
    }
    return false;
}

bool CatalogSearch::step(int budget) {
    if (!running_) {
        return false;
    }
    // Nodes may have gone (a delete, a restore) between steps: the walk ends there.
    if (generation_ != catalog_.generation()) {
        finish(true);
        return false;
    }
    for (; next_ && budget > 0; --budget) {
        const CatalogNode* node = next_;
        next_ = catalog_.tree().next(node);
        if (visit(node)) {
            finish(false);  // the status shows the CD of the match
            return false;
        }
    }
    if (!next_) {
        finish(true);
        return false;
    }
    return true;
}

}  // namespace tarnu
