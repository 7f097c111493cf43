#include "sharing/shared_listing.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "sharing/protocol.h"

namespace tarnu {

const Node* resolveItem(const SharedTree& shared, std::string_view path, ItemWanted wanted) {
    const auto positions = parseItemPath(path);
    if (!positions) {
        return nullptr;
    }
    const Node* item = shared.root();
    for (std::size_t position : *positions) {
        const auto& children = shared.tree().children(item);
        if (position >= children.size()) {
            return nullptr;
        }
        item = children[position];
    }
    return SharedTree::isFolder(item) == (wanted == ItemWanted::Folder) ? item : nullptr;
}

std::string listingOf(const SharedTree& shared, const Node* folder) {
    std::vector<ListingEntry> entries;
    for (const Node* child : shared.tree().children(folder)) {
        entries.push_back(
            {std::string(child->text(kSharedCaption)), std::string(child->text(kSharedSize))});
    }
    return buildListing(entries);
}

std::string fileNamePart(std::string_view fullName) {
    const std::size_t slash = fullName.rfind('/');
    return std::string(slash == std::string_view::npos ? fullName : fullName.substr(slash + 1));
}

}  // namespace tarnu

namespace tarnu {

Node* shareDiskFolder(SharedTree& shared, Node* parent, const std::string& directory) {
    namespace fs = std::filesystem;
    ZuTree& tree = shared.tree();
    std::string name = fs::path(directory).lexically_normal().filename().string();
    if (name.empty()) {
        name = fs::path(directory).lexically_normal().parent_path().filename().string();
    }
    std::erase(name, ':');  // a colon in a folder name would end the folder mark
    Node* folder = tree.addChild(parent);
    tree.setText(folder, kSharedCaption, ":" + name);
    tree.setText(folder, kSharedFullName, kSharedFolderMark);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(directory, ec)) {
        if (entry.is_directory(ec)) {
            shareDiskFolder(shared, folder, entry.path().string());
        } else if (entry.is_regular_file(ec)) {
            Node* file = tree.addChild(folder);
            tree.setText(file, kSharedCaption, entry.path().filename().string());
            tree.setText(file, kSharedFullName, entry.path().string());
            tree.setText(file, kSharedSize, std::to_string(entry.file_size(ec)));
        }
    }
    return folder;
}

}  // namespace tarnu
