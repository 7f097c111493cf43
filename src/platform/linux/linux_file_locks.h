#pragma once

#include <set>
#include <string>

#include "platform/file_locks.h"

namespace tarnu {

// flock() on a read-only descriptor, held while the link stays locked. These locks are
// advisory: they stop programs that ask for a lock, not plain reads and writes.
class LinuxFileLocks final : public FileLocks {
public:
    LinuxFileLocks() = default;
    // Closes every descriptor still held, which releases its lock.
    ~LinuxFileLocks() override;
    LinuxFileLocks(const LinuxFileLocks&) = delete;
    LinuxFileLocks& operator=(const LinuxFileLocks&) = delete;

    LockHandle lock(const std::string& path) override;
    // Only handles this object gave out are touched, so a stale or foreign number never
    // closes a descriptor that belongs to someone else.
    bool unlock(LockHandle handle) override;
    bool isLockedByAnyone(const std::string& path) override;

private:
    std::set<LockHandle> held_;
};

}  // namespace tarnu
