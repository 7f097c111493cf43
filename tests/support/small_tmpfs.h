#pragma once

#include <sys/mount.h>

#include <string>

namespace tarnu::testing {

// A tmpfs of a few kilobytes mounted over a directory, to fill a disk or refuse writes on
// purpose. Mounting needs the right to (root); mounted() tells whether it worked.
class SmallTmpfs {
public:
    SmallTmpfs(const std::string& dir, const char* size, bool readOnly = false) : dir_(dir) {
        const std::string options = std::string("size=") + size;
        mounted_ =
            ::mount("tmpfs", dir.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
    }
    ~SmallTmpfs() {
        if (mounted_) {
            ::umount2(dir_.c_str(), MNT_DETACH);
        }
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return mounted_; }

private:
    std::string dir_;
    bool mounted_ = false;
};

}  // namespace tarnu::testing
