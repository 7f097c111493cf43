#pragma once

// The server's view of its shared tree: which item a request's path names, and the listing
// of a folder.

#include <string>
#include <string_view>

#include "document/shared_files.h"

namespace tarnu {

enum class ItemWanted { Folder, File };

// The item a path names, or null when a position is not a number, out of range, or the item
// is not of the wanted kind. Positions count in caption order.
const Node* resolveItem(const SharedTree& shared, std::string_view path, ItemWanted wanted);

// The listing bytes of a folder's children: caption and size columns.
std::string listingOf(const SharedTree& shared, const Node* folder);

// The file-name part of a full name (after the last "/").
std::string fileNamePart(std::string_view fullName);

}  // namespace tarnu

namespace tarnu {

// Adds a virtual folder named after a disk folder beneath parent, holding that folder's
// files and, as further virtual folders, its subfolders: a folder shared in one step.
// Returns the new folder node.
Node* shareDiskFolder(SharedTree& shared, Node* parent, const std::string& directory);

}  // namespace tarnu
