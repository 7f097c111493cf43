#include "operations/zubook_links.h"

namespace tarnu {

ZuBookLinks::ZuBookLinks(ZuTree& tree, IconCache& icons, LinkLocks& locks, THotKeyManager& hotKeys,
                         HotFolderTable& hotFolders)
    : tree_(tree), icons_(icons), locks_(locks), hotKeys_(hotKeys), hotFolders_(hotFolders) {
    tree_.setDeleteHook([this](Node& node) { releaseNode(node); });
}

ZuBookLinks::~ZuBookLinks() {
    tree_.setDeleteHook(nullptr);
}

void ZuBookLinks::relock(Node& node) {
    locks_.takeLock(node);
}

bool ZuBookLinks::registerHotKey(std::uint32_t value) {
    return hotKeys_.registerHotKey(value) != 0;
}

void ZuBookLinks::givePictures() {
    tree_.forEachInFlatOrder([this](Node* node) {
        icons_.applyIconRule(*node);
        return true;
    });
}

void ZuBookLinks::checkLinks() {
    if (check_) {
        check_();
    } else {
        tarnu::checkLinks(tree_, icons_);
    }
}

void ZuBookLinks::releaseNode(Node& node) {
    if (const LinkRecord* link = node.linkRecord()) {
        if (link->hotKey != 0) {
            hotKeys_.release(link->hotKey);
        }
        if (LinkLocks::holdsLock(node)) {
            locks_.releaseLock(node);
        }
    }
    hotFolders_.forget(&node);
}

}  // namespace tarnu
