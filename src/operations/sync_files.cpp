#include "operations/sync_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <cerrno>
#include <cstring>
#include <memory>

#include "common/path.h"

namespace tarnu {

namespace {

FileError systemError(int error) {
    return std::strerror(error);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Opens only regular files: a FIFO would block the read and a device never end. The check is
// made again on the open descriptor, since the path may change in between.
FileError openRegular(const std::string& path, int& fd, struct stat& info) {
    if (::stat(path.c_str(), &info) != 0) {
        return systemError(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return "not a regular file";
    }
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return systemError(errno);
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        fd = -1;
        return "not a regular file";
    }
    return {};
}

FileError readWriteBytes(int from, int to, off_t& written) {
    constexpr std::size_t kBufferSize = 256 * 1024;
    thread_local const std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    for (;;) {
        const ssize_t got = ::read(from, buffer.get(), kBufferSize);
        if (got == 0) {
            return {};
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemError(errno);
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer.get() + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return systemError(errno);
            }
            done += put;
        }
        written += got;
    }
}

// In the kernel where the file systems allow it, as cp does; by reading and writing
// otherwise.
FileError copyBytes(int from, int to, off_t& written) {
    written = 0;
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0) {
            return {};
        }
        if (copied > 0) {
            written += copied;
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        const bool unsupported =
            errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP;
        if (!unsupported || written != 0) {
            return systemError(errno);
        }
        return readWriteBytes(from, to, written);
    }
}

// A temporary beside the target that goes again unless it is handed over.
class TempBeside {
public:
    explicit TempBeside(const std::string& target)
        : path_(path::join(path::directory(target).empty() ? "." : path::directory(target),
                           ".tarnu-sync-XXXXXX")) {
        fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    }
    ~TempBeside() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!handedOver_) {
            ::unlink(path_.c_str());
        }
    }
    TempBeside(const TempBeside&) = delete;
    TempBeside& operator=(const TempBeside&) = delete;

    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    FileError close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? FileError{} : systemError(errno);
    }
    void handOver() { handedOver_ = true; }

private:
    std::string path_;
    int fd_ = -1;
    bool handedOver_ = false;
};

}  // namespace

bool SyncFiles::isDirectory(const std::string& path) const {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

FileError SyncFiles::makeDirectory(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0 ? FileError{} : systemError(errno);
}

bool SyncFiles::exists(const std::string& path) const {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool SyncFiles::sameFile(const std::string& a, const std::string& b) const {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

FileError SyncFiles::copy(const std::string& source, const std::string& target) {
    if (sameFile(source, target)) {
        return {};  // copying a file onto itself would first empty it
    }
    return copyInto(source, target, true, false);
}

FileError SyncFiles::move(const std::string& source, const std::string& target) {
    if (sameFile(source, target)) {
        return {};  // already there
    }
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0) {
        return systemError(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return "not a regular file";
    }
    const int error = renameNoReplace(source, target);
    if (error != EXDEV) {
        return error == 0 ? FileError{} : systemError(error);
    }
    // Another file system: the source goes only once its copy is safely on disk.
    if (FileError failed = copyInto(source, target, false, true); !failed.empty()) {
        return failed;
    }
    return ::unlink(source.c_str()) == 0
               ? FileError{}
               : "copied, but the original could not be removed: " + systemError(errno);
}

FileError SyncFiles::copyInto(const std::string& source, const std::string& target, bool replace,
                              bool durable) {
    int fd = -1;
    struct stat info {};
    if (FileError failed = openRegular(source, fd, info); !failed.empty()) {
        return failed;
    }
    Descriptor in(fd);
    TempBeside temp(target);
    if (!temp.ok()) {
        return systemError(errno);
    }
    off_t written = 0;
    if (FileError failed = copyBytes(in.get(), temp.fd(), written); !failed.empty()) {
        return failed;
    }
    ::fchmod(temp.fd(), info.st_mode & 07777);
    if (durable && ::fsync(temp.fd()) != 0) {
        return systemError(errno);
    }
    struct stat copied {};
    if (::fstat(temp.fd(), &copied) != 0 || written != info.st_size ||
        copied.st_size != info.st_size) {
        return "the copy is incomplete";
    }
    if (FileError failed = temp.close(); !failed.empty()) {
        return failed;
    }
    const int error = replace ? (::rename(temp.path().c_str(), target.c_str()) == 0 ? 0 : errno)
                              : renameNoReplace(temp.path(), target);
    if (error != 0) {
        return systemError(error);
    }
    temp.handOver();
    return {};
}

SyncFiles::Disposal SyncFiles::dispose(const std::string& path, FileError& error) {
    if (moveToTrash(path)) {
        return Disposal::Trashed;
    }
    if (::unlink(path.c_str()) == 0) {
        return Disposal::Deleted;
    }
    error = systemError(errno);
    return Disposal::Failed;
}

int SyncFiles::renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // File systems without the flag: a hard link fails on an existing name as well.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return errno;
    }
    ::unlink(from.c_str());
    return 0;
}

bool SyncFiles::moveToTrash(const std::string& path) {
    const QString name = QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
    // A name that is no valid text in the locale would come back as another name.
    if (QFile::encodeName(name).toStdString() != path) {
        return false;
    }
    // Without the data directory that holds the home trash, Qt warns and then moves the file
    // into "files/" under the working directory; make sure the directory is there.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome)) {
        return false;
    }
    QFile file(name);
    return file.moveToTrash();
}

}  // namespace tarnu
