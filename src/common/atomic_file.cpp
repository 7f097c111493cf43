#include "common/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "common/error.h"

namespace tarnu {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinkDepth = 40;
constexpr int kNameTries = 100;

[[noreturn]] void failWrite(const std::string& path, int error) {
    throw SystemError("Unable to write " + path + ": " + systemReason(error), error);
}

// Where a chain of symbolic links ends; a dangling link names the file to create.
std::string followLinks(std::string path) {
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::error_code ec;
        const fs::path to = fs::read_symlink(path, ec);
        if (ec) {
            failWrite(path, ec.value());
        }
        path = (to.is_absolute() ? to : fs::path(path).parent_path() / to).string();
    }
    failWrite(path, ELOOP);
}

std::string directoryOf(const std::string& file) {
    const fs::path dir = fs::path(file).parent_path();
    return dir.empty() ? std::string(".") : dir.string();
}

std::string tempName() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 rng{std::random_device{}()};
    std::string name = std::string(AtomicFile::kTempPrefix) + std::to_string(::getpid()) + "-";
    for (int i = 0; i < 6; ++i) {
        name += kLetters[rng() % (sizeof kLetters - 1)];
    }
    return name;
}

// The process id in one of our temporary names; 0 for any other name.
pid_t ownerOf(std::string_view name) {
    if (!name.starts_with(AtomicFile::kTempPrefix)) {
        return 0;
    }
    name.remove_prefix(AtomicFile::kTempPrefix.size());
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return ec == std::errc() && end != name.data() && *end == '-' ? pid : 0;
}

// A process killed while it wrote leaves its temporary behind; the next writer of that
// directory removes it. Only regular files of ours whose process is gone qualify.
void removeStaleTemporaries(const std::string& dir) {
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) {
        return;
    }
    const uid_t me = ::geteuid();
    while (const dirent* e = ::readdir(d)) {
        const pid_t pid = ownerOf(e->d_name);
        if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) {
            continue;
        }
        struct stat st {};
        if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == me) {
            ::unlinkat(::dirfd(d), e->d_name, 0);
        }
    }
    ::closedir(d);
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path, Links links)
    : target_(links == Links::Follow ? followLinks(path) : path), dir_(directoryOf(target_)) {
    struct stat st {};
    if (::lstat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        exists_ = true;
        mode_ = st.st_mode & 07777;
    }
    removeStaleTemporaries(dir_);
    // The old file's mode from the start, so that its content is never more readable than
    // it was; a new file gets what the umask leaves of 0666.
    const mode_t mode = exists_ ? (mode_ & 0777) : 0666;
    // An unnamed file leaves nothing behind when the process dies before the commit.
    // It is given a name for the rename through /proc; without /proc it could not be.
    int fd = ::access("/proc/self/fd", F_OK) == 0
                 ? ::open(dir_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode)
                 : -1;
    for (int i = 0; fd < 0 && i < kNameTries; ++i) {
        const std::string name = (fs::path(dir_) / tempName()).string();
        fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, mode);
        if (fd >= 0) {
            tempName_ = name;
        } else if (errno != EEXIST) {
            failWrite(target_, errno);
        }
    }
    if (fd < 0) {
        failWrite(target_, EEXIST);
    }
    stream_ = std::make_unique<FileStream>(FileStream::Adopt{fd, target_});
}

AtomicFile::~AtomicFile() {
    stream_.reset();
    if (!tempName_.empty()) {
        ::unlink(tempName_.c_str());
    }
}

// Gives an unnamed file a temporary name beside the target, for the rename.
void AtomicFile::link(const std::string& name) {
    const int fd = stream_->fd();
    if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
        tempName_ = name;
        return;
    }
    // Linking a descriptor directly needs a capability; its /proc name does not.
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        tempName_ = name;
    }
}

void AtomicFile::commit() {
    const int fd = stream_->fd();
    if (::fsync(fd) != 0 || (exists_ && ::fchmod(fd, mode_) != 0)) {
        failWrite(target_, errno);
    }
    for (int i = 0; tempName_.empty() && i < kNameTries; ++i) {
        link((fs::path(dir_) / tempName()).string());
        if (tempName_.empty() && errno != EEXIST) {
            failWrite(target_, errno);
        }
    }
    if (tempName_.empty() || ::rename(tempName_.c_str(), target_.c_str()) != 0) {
        failWrite(target_, tempName_.empty() ? EEXIST : errno);
    }
    tempName_.clear();
    stream_.reset();
    // Without this the rename itself may not survive a power loss.
    const int dirFd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        const int synced = ::fsync(dirFd);
        const int error = errno;
        ::close(dirFd);
        if (synced != 0 && error == EIO) {
            failWrite(target_, error);
        }
    }
}

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFile file(path);
    const int fd = file.stream().fd();
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno != EINTR) {
            failWrite(file.target(), errno);
        }
        done += put > 0 ? static_cast<std::size_t>(put) : 0;
    }
    file.commit();
}

}  // namespace tarnu
