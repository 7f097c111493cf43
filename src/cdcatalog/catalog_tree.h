#pragma once

// The catalog tree: catalogs at level 0, CDs at level 1, the CDs' directories below. Node
// texts are raw bytes; the tree text (the store's "CDBase" entry) holds one line per node.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/collation.h"

namespace tarnu {

enum class CatalogLevel { Catalog, Cd, Directory };

class CatalogNode {
public:
    CatalogNode(std::string text, CatalogNode* parent) : text_(std::move(text)), parent_(parent) {}

    const std::string& text() const { return text_; }
    CatalogNode* parent() const { return parent_; }
    int level() const;
    CatalogLevel kind() const;
    const std::vector<std::unique_ptr<CatalogNode>>& children() const { return children_; }
    // The CD this node belongs to (itself for a CD); null for a catalog.
    const CatalogNode* cd() const;

private:
    friend class CatalogTree;
    std::string text_;
    CatalogNode* parent_;
    std::vector<std::unique_ptr<CatalogNode>> children_;
};

class CatalogTree {
public:
    explicit CatalogTree(const Collation& collation) : collation_(collation) {}

    const std::vector<std::unique_ptr<CatalogNode>>& roots() const { return roots_; }
    bool empty() const { return roots_.empty(); }
    void clear() { roots_.clear(); }

    // Adds a node under parent (a top-level node when null), in sorted place.
    CatalogNode* add(CatalogNode* parent, std::string text);
    void rename(CatalogNode* node, std::string text);
    void remove(const CatalogNode* node);

    // Pre-order: every node followed by its subtree; null after the last.
    const CatalogNode* next(const CatalogNode* node) const;
    const CatalogNode* first() const { return roots_.empty() ? nullptr : roots_.front().get(); }
    std::vector<const CatalogNode*> cds() const;
    bool hasCd(std::string_view name) const;

    // The tree text: TABs for the level, the (escaped) text, CR LF.
    std::string toText() const;
    // Replaces the tree by the one the text holds. A line more than one level below the one
    // before raises "Invalid level (%d) for item "%s"", keeping the nodes read so far.
    void loadText(std::string_view text);

private:
    std::vector<std::unique_ptr<CatalogNode>>& siblingsOf(CatalogNode* parent);
    void readLines(std::string_view text);
    void sortAll();
    void insertSorted(std::vector<std::unique_ptr<CatalogNode>>& list,
                      std::unique_ptr<CatalogNode> node);

    const Collation& collation_;
    std::vector<std::unique_ptr<CatalogNode>> roots_;
};

// Escaping of names inside the line formats: control bytes (CR, LF, TAB, ...), a backslash
// (the section separator) and a "%" that would read as an escape become "%XX". Every other
// byte, invalid UTF-8 included, is kept as it is.
std::string escapeName(std::string_view name);
std::string unescapeName(std::string_view text);

}  // namespace tarnu
