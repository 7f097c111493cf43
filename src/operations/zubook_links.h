#pragma once

// Wires the link records of a ZuBook to the lock and hot-key machinery: what loading asks
// for, and what a node gives back when it is deleted.

#include <functional>

#include "document/hot_folders.h"
#include "document/link_record_services.h"
#include "model/icon_cache.h"
#include "model/tree.h"
#include "operations/hotkey_manager.h"
#include "operations/locking.h"

namespace tarnu {

class ZuBookLinks final : public LinkRecordServices {
public:
    // Everything must outlive this object.
    ZuBookLinks(ZuTree& tree, IconCache& icons, LinkLocks& locks, THotKeyManager& hotKeys,
                HotFolderTable& hotFolders);
    ~ZuBookLinks() override;
    ZuBookLinks(const ZuBookLinks&) = delete;
    ZuBookLinks& operator=(const ZuBookLinks&) = delete;

    void relock(Node& node) override;
    bool registerHotKey(std::uint32_t value) override;
    void givePictures() override;
    void checkLinks() override;
    // The check to run instead of a plain walk, one that lets the window run meanwhile.
    void checkLinksWith(std::function<void()> check) { check_ = std::move(check); }

    // A node about to be deleted gives up its hot key, its lock and its hot-folder slots.
    void releaseNode(Node& node);

private:
    ZuTree& tree_;
    IconCache& icons_;
    LinkLocks& locks_;
    THotKeyManager& hotKeys_;
    HotFolderTable& hotFolders_;
    std::function<void()> check_;
};

}  // namespace tarnu
