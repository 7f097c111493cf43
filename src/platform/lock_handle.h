#pragma once

namespace tarnu {

// The open descriptor through which a file link holds its lock.
using LockHandle = int;
inline constexpr LockHandle kNoLock = -1;

}  // namespace tarnu
