#pragma once

// System icon indices of the folder, a plain file and each file extension met so far, and
// the rule that gives a node its picture.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/tree.h"
#include "platform/icons.h"

namespace tarnu {

class IconCache {
public:
    // The icon port must outlive the cache. Builds the first two entries.
    explicit IconCache(Icons& icons);

    // Clears the cache back to its first two entries (when a ZuBook is closed).
    void rebuild();

    int folderIcon() const { return folder_; }
    int plainFileIcon() const { return plainFile_; }

    // The icon for a file link's path; ".exe" files get their own icon every time.
    int iconForFile(const std::string& path);

    // Sets the node's image and selected image from its state, kind and path.
    void applyIconRule(Node& node);

    // The cache as its ordered list of strings: the folder index, the plain-file index,
    // then ".ext=index" per extension in the order met.
    std::vector<std::string> entries() const;

private:
    Icons& icons_;
    int folder_ = -1;
    int plainFile_ = -1;
    std::vector<std::pair<std::string, int>> extensions_;  // in the order met
    std::unordered_map<std::string, int> byFoldedExtension_;
};

}  // namespace tarnu
