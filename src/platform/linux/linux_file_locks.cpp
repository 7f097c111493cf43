#include "platform/linux/linux_file_locks.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnu {

namespace {

// O_NONBLOCK keeps a FIFO from blocking the open; it changes nothing for regular files.
int openForReading(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

bool isRegular(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

bool isDigits(const char* s) {
    if (*s == '\0') {
        return false;
    }
    for (; *s != '\0'; ++s) {
        if (*s < '0' || *s > '9') {
            return false;
        }
    }
    return true;
}

// Whether any descriptor in /proc/<pid>/fd refers to the given file.
bool processHolds(int procFd, const char* pid, const struct stat& target) {
    std::string fdDir = std::string(pid) + "/fd";
    int dirFd = ::openat(procFd, fdDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return false;  // gone, or another user's process
    }
    DIR* dir = ::fdopendir(dirFd);
    if (dir == nullptr) {
        ::close(dirFd);
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (isDigits(entry->d_name) && ::fstatat(dirFd, entry->d_name, &st, 0) == 0 &&
            st.st_dev == target.st_dev && st.st_ino == target.st_ino) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool anyProcessHolds(const struct stat& target) {
    int procFd = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) {
        return false;
    }
    DIR* proc = ::fdopendir(procFd);
    if (proc == nullptr) {
        ::close(procFd);
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(proc)) {
        if (isDigits(entry->d_name) && processHolds(procFd, entry->d_name, target)) {
            found = true;
            break;
        }
    }
    ::closedir(proc);
    return found;
}

}  // namespace

LinuxFileLocks::~LinuxFileLocks() {
    for (LockHandle fd : held_) {
        ::close(fd);
    }
}

LockHandle LinuxFileLocks::lock(const std::string& path) {
    int fd = openForReading(path);
    if (fd < 0) {
        return kNoLock;
    }
    if (!isRegular(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return kNoLock;
    }
    held_.insert(fd);
    return fd;
}

bool LinuxFileLocks::unlock(LockHandle handle) {
    auto it = held_.find(handle);
    if (it == held_.end() || ::flock(handle, LOCK_UN) != 0) {
        return false;
    }
    held_.erase(it);
    ::close(handle);
    return true;
}

bool LinuxFileLocks::isLockedByAnyone(const std::string& path) {
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0 || !S_ISREG(target.st_mode)) {
        return false;
    }
    int fd = openForReading(path);
    if (fd < 0) {
        return true;  // denied access counts as locked
    }
    bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    // Closing also drops the probe's own lock, and keeps the probe out of the scan below.
    ::close(fd);
    return locked || anyProcessHolds(target);
}

}  // namespace tarnu
