#include "operations/locking.h"

#include <sys/stat.h>

#include <string>

namespace tarnu {

namespace {

constexpr std::string_view kYes = "Yes";
constexpr std::string_view kNo = "No";

enum class FileType { None, Regular, Directory, Other };

// One stat() (symbolic links followed) into a buffer kept for the thread: a check of a
// large ZuBook asks this for every link.
FileType typeOf(std::string_view path) {
    thread_local std::string buffer;
    if (path.empty()) {
        return FileType::None;
    }
    buffer.assign(path);
    struct stat st {};
    if (::stat(buffer.c_str(), &st) != 0) {
        return FileType::None;
    }
    return S_ISREG(st.st_mode)   ? FileType::Regular
           : S_ISDIR(st.st_mode) ? FileType::Directory
                                 : FileType::Other;
}

// A File link whose target is there, showing the given lock text.
bool isFileLinkShowing(const Node& node, std::string_view lockText) {
    return node.kind() == NodeKind::File && node.text(kColLock) == lockText &&
           isExistingFile(node.text(kColPath));
}

}  // namespace

bool isExistingFile(std::string_view path) {
    const FileType type = typeOf(path);
    return type == FileType::Regular || type == FileType::Other;
}

bool isRegularFile(std::string_view path) {
    return typeOf(path) == FileType::Regular;
}

bool isExistingDirectory(std::string_view path) {
    return typeOf(path) == FileType::Directory;
}

LinkLocks::LinkLocks(FileLocks& locks) : locks_(locks) {}

bool LinkLocks::holdsLock(const Node& node) {
    return node.linkRecord() != nullptr && node.linkRecord()->lockHandle != kNoLock;
}

void LinkLocks::takeLock(Node& node) {
    // Opening a pipe or socket, even without blocking, is a reader arriving for its writer.
    if (holdsLock(node) || !isRegularFile(node.text(kColPath))) {
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

bool lockLink(ZuTree& tree, Node& node, LinkLocks& locks) {
    if (!isFileLinkShowing(node, kNo)) {
        return false;
    }
    locks.takeLock(node);
    // Showing "Yes" for a file that is not locked would tell the user a falsehood.
    if (!LinkLocks::holdsLock(node)) {
        return false;
    }
    tree.setText(&node, kColLock, kYes);
    tree.setStateIndex(&node, kStateLocked);
    return true;
}

bool unlockLink(ZuTree& tree, Node& node, LinkLocks& locks) {
    if (!isFileLinkShowing(node, kYes)) {
        return false;
    }
    locks.releaseLock(node);
    tree.setText(&node, kColLock, kNo);
    tree.setStateIndex(&node, kStateNone);
    freeLinkRecordIfEmpty(node);
    return true;
}

void checkLink(ZuTree& tree, IconCache& icons, Node& node) {
    const int state = node.stateIndex();
    const int image = node.imageIndex();
    const auto kind = node.kind();
    if (kind == NodeKind::Folder) {
        bool there = isExistingDirectory(node.text(kColPath));
        node.setStateIndex(there ? kStateNone : kStateBroken);
    } else if (kind == NodeKind::File) {
        bool there = isExistingFile(node.text(kColPath));
        node.setStateIndex(there ? kStateNone : kStateBroken);
    }
    icons.applyIconRule(node);
    // Views hear only of what changed: a check of a large ZuBook changes few nodes.
    if (node.stateIndex() != state || node.imageIndex() != image) {
        tree.pictureChanged(&node);
    }
}

void aLockFilesExecute(ZuTree& tree, const std::vector<Node*>& selection, LinkLocks& locks,
                       const AutoSave& autoSave) {
    for (Node* node : selection) {
        lockLink(tree, *node, locks);
        if (autoSave) {
            autoSave();
        }
    }
}

void aUnlockFilesExecute(ZuTree& tree, const std::vector<Node*>& selection, LinkLocks& locks,
                         const AutoSave& autoSave) {
    for (Node* node : selection) {
        unlockLink(tree, *node, locks);
        if (autoSave) {
            autoSave();
        }
    }
}

void checkLinks(ZuTree& tree, IconCache& icons) {
    tree.forEachInFlatOrder([&tree, &icons](Node* node) {
        checkLink(tree, icons, *node);
        return true;
    });
}

}  // namespace tarnu
