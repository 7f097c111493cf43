#include "model/icon_cache.h"

#include "common/path.h"

namespace tarnu {

namespace {

std::string foldAscii(std::string_view s) {
    std::string out(s);
    for (auto& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace

IconCache::IconCache(Icons& icons) : icons_(icons) {
    rebuild();
}

void IconCache::rebuild() {
    extensions_.clear();
    byFoldedExtension_.clear();
    folder_ = icons_.folderIcon();
    plainFile_ = icons_.plainFileIcon();
}

int IconCache::iconForFile(const std::string& path) {
    auto ext = path::extension(path);
    if (ext.empty()) {
        return plainFile_;
    }
    // Programs carry icons of their own; only the exact lower-case extension is meant.
    if (ext == ".exe") {
        return icons_.fileIcon(path);
    }
    auto key = foldAscii(ext);
    if (auto it = byFoldedExtension_.find(key); it != byFoldedExtension_.end()) {
        return it->second;
    }
    int index = icons_.fileIcon(path);
    extensions_.emplace_back(ext, index);
    byFoldedExtension_.emplace(std::move(key), index);
    return index;
}

void IconCache::applyIconRule(Node& node) {
    int image;
    if (node.stateIndex() != kStateNone) {
        image = plainFile_;
    } else if (node.kind() != NodeKind::File) {
        image = folder_;
    } else {
        image = iconForFile(std::string(node.text(kColPath)));
    }
    node.setImageIndex(image);
    node.setSelectedImageIndex(image);
}

std::vector<std::string> IconCache::entries() const {
    std::vector<std::string> out{std::to_string(folder_), std::to_string(plainFile_)};
    for (const auto& [ext, index] : extensions_) {
        out.push_back(ext + "=" + std::to_string(index));
    }
    return out;
}

}  // namespace tarnu
