#pragma once

// Locking the files behind File links, and marking links whose targets have gone.

#include <functional>
#include <string_view>
#include <vector>

#include "model/icon_cache.h"
#include "model/tree.h"
#include "platform/file_locks.h"

namespace tarnu {

// Taking and releasing a link's lock.
class LinkLocks {
public:
    // The port must outlive this object.
    explicit LinkLocks(FileLocks& locks);

    // Locks the file named by column 1 and keeps the handle in the link record (created
    // when missing). A node that already holds a handle keeps it: a second lock would only
    // leak the first.
    void takeLock(Node& node);
    // Unlocks; the record's handle becomes kNoLock only when that succeeds.
    void releaseLock(Node& node);
    static bool holdsLock(const Node& node);

    FileLocks& port() { return locks_; }

private:
    FileLocks& locks_;
};

// Frees the node's link record when it holds neither a lock nor a hot key.
void freeLinkRecordIfEmpty(Node& node);

// An existing file, a directory not counting (symbolic links followed).
bool isExistingFile(std::string_view path);
bool isExistingDirectory(std::string_view path);
bool isRegularFile(std::string_view path);

// Called after each node a command has handled (the document's auto-save rule).
using AutoSave = std::function<void()>;

// One node's step of each command below; the lock steps tell whether they changed the node.
bool lockLink(ZuTree& tree, Node& node, LinkLocks& locks);
bool unlockLink(ZuTree& tree, Node& node, LinkLocks& locks);
void checkLink(ZuTree& tree, IconCache& icons, Node& node);

// "Lock files": locks the File links of the selection whose files exist and which show "No",
// and marks them "Yes" with the lock picture. A link whose file cannot be locked stays "No".
// Views suspend painting around the call.
void aLockFilesExecute(ZuTree& tree, const std::vector<Node*>& selection, LinkLocks& locks,
                       const AutoSave& autoSave);

// "Unlock files": releases the File links of the selection whose files exist and which
// show "Yes", marks them "No" without picture and frees records left empty. A lock the
// system would not release stays held in the record; a later "Lock files" adopts it.
void aUnlockFilesExecute(ZuTree& tree, const std::vector<Node*>& selection, LinkLocks& locks,
                         const AutoSave& autoSave);

// "Check links": marks Folder and File links whose targets are missing as broken, clears the
// mark of those that exist, and gives every node its icon anew. Changes no column.
void checkLinks(ZuTree& tree, IconCache& icons);

}  // namespace tarnu
