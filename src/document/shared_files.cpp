#include "document/shared_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "common/stream.h"
#include "common/system_memory.h"
#include "model/node_stream.h"

namespace tarnu {

namespace {

bool isExistingFile(std::string_view path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

}  // namespace

SharedTree::SharedTree(const Collation& collation) : tree_(collation) {
    ensureRoot();
}

void SharedTree::ensureRoot() {
    if (!tree_.empty()) {
        return;
    }
    Node* root = tree_.addChild(nullptr);
    tree_.setText(root, kSharedCaption, ":");
    tree_.setText(root, kSharedFullName, kSharedFolderMark);
}

std::string SharedTree::displayPath(const Node* node) const {
    std::vector<std::string_view> captions;
    for (; node && node->parent(); node = node->parent()) {
        captions.push_back(node->text(kSharedCaption));
    }
    std::string path = ":";
    for (auto it = captions.rbegin(); it != captions.rend(); ++it) {
        path += '\\';
        path += *it;
    }
    return path;
}

std::string SharedTree::toBytes() const {
    MemoryStream out;
    writeNodeStream(tree_, out);
    return out.takeBytes();
}

void SharedTree::loadBytes(const std::string& bytes, IconCache& icons) {
    MemoryStream in(bytes);
    loadStream(in, icons);
}

void SharedTree::loadStream(Stream& in, IconCache& icons) {
    try {
        keepOneRoot(readNodeStream(tree_, in, availableMemory()));
    } catch (...) {
        keepOneRoot(std::vector<Node*>(tree_.topLevel()));
        throw;
    }
    std::vector<Node*> gone;
    tree_.forEachInFlatOrder([&](Node* node) {
        if (isFolder(node)) {
            node->setImageIndex(icons.folderIcon());
        } else if (!isExistingFile(node->text(kSharedFullName))) {
            gone.push_back(node);
            return true;
        } else {
            node->setImageIndex(icons.iconForFile(std::string(node->text(kSharedFullName))));
        }
        node->setSelectedImageIndex(node->imageIndex());
        return true;
    });
    tree_.deleteNodes(gone);
    root()->setExpanded(true);
}

void SharedTree::keepOneRoot(const std::vector<Node*>& order) {
    // The tree is sorted by caption, so any other top-level node, a file included, could
    // come first and pass for the root. The first folder read is the root; the rest go the
    // way of a missing file: gone from the list, kept in the ZuBook until its next save.
    const auto first = std::find_if(order.begin(), order.end(), [](const Node* node) {
        return node->parent() == nullptr && isFolder(node);
    });
    Node* keep = first == order.end() ? nullptr : *first;
    std::vector<Node*> others;
    for (Node* node : tree_.topLevel()) {
        if (node != keep) {
            others.push_back(node);
        }
    }
    tree_.deleteNodes(others);
    ensureRoot();
}

void SharedTree::save(TZLBArchive& archive, const std::string& zubookPath) const {
    archive.open(zubookPath);
    MemoryStream content(toBytes());
    try {
        if (archive.indexOf(kSharedFilesEntry) >= 0) {
            archive.replaceFromStream(kSharedFilesEntry, content);
        } else {
            archive.addStream(kSharedFilesEntry, content);
        }
    } catch (...) {
        archive.close();
        throw;
    }
    archive.close();
}

void SharedTree::load(TZLBArchive& archive, const std::string& zubookPath, IconCache& icons) {
    archive.open(zubookPath);
    try {
        if (archive.indexOf(kSharedFilesEntry) < 0) {
            archive.close();
            root()->setExpanded(true);
            return;
        }
        const auto in = archive.openEntry(kSharedFilesEntry);
        loadStream(*in, icons);
        in->finish();
    } catch (...) {
        archive.close();
        throw;
    }
    archive.close();
}

}  // namespace tarnu
