#pragma once

// How much memory this process can still take without the kernel ending it: loading a
// file checks against it instead of finding out by being killed.

#include <cstddef>

namespace tarnu {

// The memory the system reports available, less what this process's own address-space
// limit leaves it, in bytes.
std::size_t availableMemory();

}  // namespace tarnu
