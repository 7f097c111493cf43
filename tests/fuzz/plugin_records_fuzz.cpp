// Feeds arbitrary bytes as item and criteria records: the decoders must round-trip, and the
// message commands that take records must leave a consistent tree.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/error.h"
#include "model/icon_cache.h"
#include "operations/locking.h"
#include "plugins/plugin_messages.h"

namespace {

class NoIcons : public tarnu::Icons {
public:
    int folderIcon() override { return 1; }
    int plainFileIcon() override { return 2; }
    int fileIcon(const std::string&) override { return 3; }
};

class NoLocks : public tarnu::FileLocks {
public:
    tarnu::LockHandle lock(const std::string&) override { return tarnu::kNoLock; }
    bool unlock(tarnu::LockHandle) override { return true; }
    bool isLockedByAnyone(const std::string&) override { return false; }
};

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnu::ItemBytes item{};
    std::memcpy(item.data(), data, std::min(size, item.size()));
    tarnu::CriteriaBytes criteria{};
    std::memcpy(criteria.data(), data, std::min(size, criteria.size()));

    const tarnu::ItemRecord record = tarnu::decodeItemRecord(item);
    const tarnu::ItemRecord again = tarnu::decodeItemRecord(tarnu::encodeItemRecord(record));
    check(again.name == record.name && again.parentPath == record.parentPath &&
          again.index == record.index && again.lockFlag == record.lockFlag);
    const tarnu::SelectionCriteria decoded = tarnu::decodeCriteria(criteria);
    check(tarnu::decodeCriteria(tarnu::encodeCriteria(decoded)).pattern == decoded.pattern);

    NoIcons iconPort;
    NoLocks lockPort;
    tarnu::AsciiCollation collation;
    tarnu::ZuTree tree(collation);
    tarnu::IconCache icons(iconPort);
    tarnu::LinkLocks locks(lockPort);
    tarnu::PlugInMessages messages({tree, icons, locks, "/p"});
    const auto address = reinterpret_cast<std::uintptr_t>(item.data());
    const auto criteriaAddress = reinterpret_cast<std::uintptr_t>(criteria.data());
    messages.handle(address, tarnu::kCmdAddItem);
    messages.handle(criteriaAddress, tarnu::kCmdSelect);
    try {
        messages.handle(address, tarnu::kCmdSetItem);
    } catch (const tarnu::Error&) {
    }
    messages.handle(address + tarnu::kItemParentPath, tarnu::kCmdSelectBelow);
    messages.handle(criteriaAddress, tarnu::kCmdUnselect);
    messages.handle(address, tarnu::kCmdDeleteItem);
    const std::size_t count = tree.selectionCount();
    check(count == tree.selection().size());
    messages.handle(0, tarnu::kCmdGetItem);
    return 0;
}
