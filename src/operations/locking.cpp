#include "operations/locking.h"

#include <filesystem>
#include <string>

namespace tarnu {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kYes = "Yes";
constexpr std::string_view kNo = "No";

fs::file_status statusOf(std::string_view path) {
    std::error_code ec;
    return path.empty() ? fs::file_status{} : fs::status(fs::path(path), ec);
}

// A File link whose target is there, showing the given lock text.
bool isFileLinkShowing(const Node& node, std::string_view lockText) {
    return node.kind() == NodeKind::File && node.text(kColLock) == lockText &&
           isExistingFile(node.text(kColPath));
}

}  // namespace

bool isExistingFile(std::string_view path) {
    auto st = statusOf(path);
    return fs::exists(st) && !fs::is_directory(st);
}

bool isExistingDirectory(std::string_view path) {
    return fs::is_directory(statusOf(path));
}

LinkLocks::LinkLocks(FileLocks& locks) : locks_(locks) {}

bool LinkLocks::holdsLock(const Node& node) {
    return node.linkRecord() != nullptr && node.linkRecord()->lockHandle != kNoLock;
}

void LinkLocks::takeLock(Node& node) {
    if (holdsLock(node)) {
        return;
    }
    LockHandle handle = locks_.lock(std::string(node.text(kColPath)));
    if (handle != kNoLock) {
        node.ensureLinkRecord().lockHandle = handle;
    }
}

void LinkLocks::releaseLock(Node& node) {
    if (holdsLock(node) && locks_.unlock(node.linkRecord()->lockHandle)) {
        node.linkRecord()->lockHandle = kNoLock;
    }
}

void freeLinkRecordIfEmpty(Node& node) {
    if (node.linkRecord() != nullptr && node.linkRecord()->empty()) {
        node.freeLinkRecord();
    }
}

void aLockFilesExecute(ZuTree& tree, const std::vector<Node*>& selection, LinkLocks& locks,
                       const AutoSave& autoSave) {
    for (Node* node : selection) {
        if (isFileLinkShowing(*node, kNo)) {
            locks.takeLock(*node);
            // Showing "Yes" for a file that is not locked would tell the user a falsehood.
            if (LinkLocks::holdsLock(*node)) {
                tree.setText(node, kColLock, kYes);
                tree.setStateIndex(node, kStateLocked);
            }
        }
        if (autoSave) {
            autoSave();
        }
    }
}

void aUnlockFilesExecute(ZuTree& tree, const std::vector<Node*>& selection, LinkLocks& locks,
                         const AutoSave& autoSave) {
    for (Node* node : selection) {
        if (isFileLinkShowing(*node, kYes)) {
            locks.releaseLock(*node);
            tree.setText(node, kColLock, kNo);
            tree.setStateIndex(node, kStateNone);
            freeLinkRecordIfEmpty(*node);
        }
        if (autoSave) {
            autoSave();
        }
    }
}

void checkLinks(ZuTree& tree, IconCache& icons) {
    tree.forEachInFlatOrder([&tree, &icons](Node* node) {
        const int state = node->stateIndex();
        const int image = node->imageIndex();
        auto kind = node->kind();
        if (kind == NodeKind::Folder) {
            bool there = isExistingDirectory(node->text(kColPath));
            node->setStateIndex(there ? kStateNone : kStateBroken);
        } else if (kind == NodeKind::File) {
            bool there = isExistingFile(node->text(kColPath));
            node->setStateIndex(there ? kStateNone : kStateBroken);
        }
        icons.applyIconRule(*node);
        // Views hear only of what changed: a check of a large ZuBook changes few nodes.
        if (node->stateIndex() != state || node->imageIndex() != image) {
            tree.pictureChanged(node);
        }
        return true;
    });
}

}  // namespace tarnu
