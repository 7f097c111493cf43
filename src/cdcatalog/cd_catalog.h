#pragma once

// The catalog page without widgets: the catalog tree and its store, the tree commands,
// browsing into the file list, backup and restore, and storing a scanned volume as a CD.
// Commands raise Error; the caller shows its text.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cdcatalog/catalog_store.h"
#include "cdcatalog/catalog_tree.h"
#include "cdcatalog/cd_listing.h"
#include "cdcatalog/disc_scan.h"
#include "model/collation.h"
#include "platform/ui.h"

namespace tarnu {

struct CatalogListItem {
    std::string caption;  // ":" and the name for a directory
    bool directory = false;
};

// The status-bar panel of scans and searches; the first one keeps the hide hint.
inline constexpr int kCatalogStatusPanel = 1;

class CdCatalog {
public:
    // Store, scratch listing and backups live in dataDir; the store is dataDir/CDBase.qcb
    // unless a path is given.
    CdCatalog(std::string dataDir, const Collation& collation, Ui& ui, std::string storePath = {});

    const CatalogTree& tree() const { return tree_; }
    CatalogStore& store() { return store_; }
    const std::string& dataDir() const { return dataDir_; }
    std::string scratchPath() const;
    // Grows whenever nodes go, so a job may tell that a node it holds may be gone.
    std::uint64_t generation() const { return generation_; }
    // True when node is (still) a node of the tree.
    bool contains(const CatalogNode* node) const;

    // Views repaint on these.
    std::function<void()> onTreeReset;
    std::function<void()> onListChanged;

    // Rebuilds the tree from the store, creating the store with the default catalogs.
    void showPage();
    CatalogNode* addCatalog();
    // In-place editing: only a catalog takes a new (non-empty) name; false means undo it.
    bool renameInPlace(const CatalogNode* node, std::string text);
    void deleteCatalog(const CatalogNode* node);
    void deleteCd(const CatalogNode* node);
    // The Delete key and the side bar: act only on the level they are meant for.
    void deleteKey(const CatalogNode* node);
    void deleteCdButton(const CatalogNode* node);

    // Browsing: the file list of the selected node.
    void select(const CatalogNode* node);
    const CatalogNode* selected() const { return selected_; }
    const std::vector<CatalogListItem>& list() const { return list_; }
    int selectedItem() const { return selectedItem_; }
    void selectItem(int item) { selectedItem_ = item; }

    void makeBackup();
    void restoreFromBackup();

    // The name not yet taken by any CD: name, (0)name, (1)name, ... Letter case alone does
    // not tell names apart, since the store's entry names ignore it.
    std::string uniqueCdName(std::string_view name) const;
    // Adds the scanned volume as a CD of catalog, saves the tree and stores the listing.
    const CatalogNode* storeScan(const CatalogNode* catalog, const ScanResult& scan);
    // Scans a directory as a CD of catalog on this thread (tools and tests).
    const CatalogNode* addDirectory(const CatalogNode* catalog, const std::string& path,
                                    std::string_view name);

    // The files of a CD's directory as its listing holds them.
    std::vector<std::string> filesOf(const CatalogNode& node);

private:
    void saveTree();
    void reset();
    void forgetListing();
    // Takes the node and its subtree out of the tree and saves it.
    void removeNode(const CatalogNode* node);
    CatalogNode* mutableNode(const CatalogNode* node);
    void addDirectories(CatalogNode* parent, const ScannedDirectory& dir);

    std::string dataDir_;
    const Collation& collation_;
    Ui& ui_;
    CatalogStore store_;
    CatalogTree tree_;
    std::uint64_t generation_ = 0;
    const CatalogNode* selected_ = nullptr;
    std::vector<CatalogListItem> list_;
    int selectedItem_ = -1;
    // The listing last read, kept while a search steps through the CD's directories.
    const CatalogNode* listingCd_ = nullptr;
    std::optional<CdListing> listing_;
};

// A volume's name from the path it is read from: the last component of the path.
std::string volumeNameOf(std::string_view path);

}  // namespace tarnu
