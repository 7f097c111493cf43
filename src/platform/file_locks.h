#pragma once

#include <string>

#include "platform/lock_handle.h"

namespace tarnu {

// Keeps files locked against other programs for as long as a link asks.
class FileLocks {
public:
    virtual ~FileLocks() = default;
    // Opens the file read-only and takes an exclusive lock on it; kNoLock when either fails.
    virtual LockHandle lock(const std::string& path) = 0;
    // Releases and closes; false (handle kept open) when the unlock fails.
    virtual bool unlock(LockHandle handle) = 0;
    // True when the path is an existing file that another lock holds or any process the user
    // can see holds open.
    virtual bool isLockedByAnyone(const std::string& path) = 0;
};

}  // namespace tarnu
