#pragma once

// The shared tree: what this copy offers to other copies, stored in the ZuBook file as the
// entry "SharedFiles.sf". One root (":" / "Folder"); folders have "Folder" as full name.

#include <string>
#include <string_view>
#include <vector>

#include "archive/zlb_archive.h"
#include "model/icon_cache.h"
#include "model/tree.h"

namespace tarnu {

inline constexpr std::string_view kSharedFilesEntry = "SharedFiles.sf";
inline constexpr std::string_view kSharedFolderMark = "Folder";

// Columns of the shared tree.
inline constexpr int kSharedCaption = 0;
inline constexpr int kSharedFullName = 1;
inline constexpr int kSharedSize = 2;

class SharedTree {
public:
    explicit SharedTree(const Collation& collation);

    ZuTree& tree() { return tree_; }
    const ZuTree& tree() const { return tree_; }
    Node* root() const { return tree_.firstTopLevel(); }

    static bool isFolder(const Node* node) {
        return node->text(kSharedFullName) == kSharedFolderMark;
    }
    // ":" for the root; ":\" and the captions below the root joined by "\" for the others.
    std::string displayPath(const Node* node) const;

    // The tree as a node stream.
    std::string toBytes() const;
    // Replaces the tree from a node stream, drops shared files that no longer exist and gives
    // every node its icon.
    void loadBytes(const std::string& bytes, IconCache& icons);
    // The same from a stream, read as it comes.
    void loadStream(Stream& in, IconCache& icons);

    // Writes the entry into the ZuBook archive at path (added or replaced).
    void save(TZLBArchive& archive, const std::string& zubookPath) const;
    // Replaces the tree from the ZuBook archive at path; without the entry the tree stays.
    void load(TZLBArchive& archive, const std::string& zubookPath, IconCache& icons);

private:
    void ensureRoot();
    // Leaves only the first folder of the read order at the top level (or a new root).
    void keepOneRoot(const std::vector<Node*>& order);

    ZuTree tree_;
};

}  // namespace tarnu
