#include "platform/linux/linux_file_locks.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace tarnu {
namespace {

namespace fs = std::filesystem;

class FileLocksTest : public ::testing::Test {
protected:
    FileLocksTest() {
        std::string pattern = fs::temp_directory_path() / "tarnu-locks-XXXXXX";
        dir_ = ::mkdtemp(pattern.data());
        file = dir_ / "notes.txt";
        std::ofstream(file) << "some text";
    }
    ~FileLocksTest() override { fs::remove_all(dir_); }

    // Whether a fresh descriptor of this process gets an exclusive lock right away.
    bool freshLockSucceeds() const {
        int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        ::close(fd);
        return ok;
    }

    // Runs body in a child process and gives its exit status.
    static int inChild(const std::function<int()>& body) {
        pid_t pid = ::fork();
        if (pid == 0) {
            ::_exit(body());
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir_;
    std::string file;
    LinuxFileLocks locks;
};

TEST_F(FileLocksTest, AHeldLockKeepsOthersOutUntilUnlocked) {
    EXPECT_FALSE(locks.isLockedByAnyone(file));
    LockHandle handle = locks.lock(file);
    ASSERT_NE(handle, kNoLock);

    EXPECT_TRUE(locks.isLockedByAnyone(file));
    EXPECT_FALSE(freshLockSucceeds());
    LinuxFileLocks second;
    EXPECT_EQ(second.lock(file), kNoLock);
    EXPECT_EQ(inChild([this] { return LinuxFileLocks().lock(file) == kNoLock ? 0 : 1; }), 0);
    EXPECT_EQ(inChild([this] { return LinuxFileLocks().isLockedByAnyone(file) ? 0 : 1; }), 0);

    EXPECT_TRUE(locks.unlock(handle));
    EXPECT_TRUE(freshLockSucceeds());
    EXPECT_FALSE(locks.isLockedByAnyone(file));
    EXPECT_EQ(inChild([this] { return LinuxFileLocks().lock(file) != kNoLock ? 0 : 1; }), 0);
}

TEST_F(FileLocksTest, OnlyItsOwnHandlesAreUnlocked) {
    EXPECT_FALSE(locks.unlock(kNoLock));
    int foreign = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(foreign, 0);
    EXPECT_FALSE(locks.unlock(foreign));
    EXPECT_NE(::fcntl(foreign, F_GETFD), -1);  // still open
    ::close(foreign);

    LockHandle handle = locks.lock(file);
    ASSERT_NE(handle, kNoLock);
    EXPECT_TRUE(locks.unlock(handle));
    EXPECT_FALSE(locks.unlock(handle));
}

TEST_F(FileLocksTest, DestroyingTheLocksReleasesEveryFile) {
    {
        LinuxFileLocks scoped;
        ASSERT_NE(scoped.lock(file), kNoLock);
        EXPECT_FALSE(freshLockSucceeds());
    }
    EXPECT_TRUE(freshLockSucceeds());
}

TEST_F(FileLocksTest, OnlyRegularFilesAreLockedOrCountAsLocked) {
    std::string missing = dir_ / "missing";
    std::string fifo = dir_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int dirFd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);  // held open
    ASSERT_GE(dirFd, 0);
    for (const std::string& path : {missing, dir_.string(), fifo, std::string()}) {
        EXPECT_EQ(locks.lock(path), kNoLock) << path;  // a FIFO does not wait for a writer
        EXPECT_FALSE(locks.isLockedByAnyone(path)) << path;
    }
    ::close(dirFd);
}

TEST_F(FileLocksTest, AFileThisProcessHoldsOpenCountsAsLocked) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(locks.isLockedByAnyone(file));
    // Through another name of the same file too.
    std::string alias = dir_ / "alias.txt";
    ASSERT_EQ(::link(file.c_str(), alias.c_str()), 0);
    EXPECT_TRUE(locks.isLockedByAnyone(alias));
    ::close(fd);
    EXPECT_FALSE(locks.isLockedByAnyone(file));
    EXPECT_FALSE(locks.isLockedByAnyone(alias));
}

TEST_F(FileLocksTest, AFileAnotherProcessHoldsOpenCountsAsLocked) {
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        ::close(release[1]);  // else the read below never sees the end
        int fd = ::open(file.c_str(), O_RDONLY);
        char c = fd >= 0 ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        (void)!::read(release[0], &c, 1);  // until the parent closes its end
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    EXPECT_TRUE(locks.isLockedByAnyone(file));
    ::close(release[1]);
    ::close(ready[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_FALSE(locks.isLockedByAnyone(file));
}

TEST_F(FileLocksTest, AFileThatCannotBeOpenedCountsAsLocked) {
    ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    // Root opens any file, so the look is taken as nobody.
    int status = inChild([this] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return 2;
        }
        LinuxFileLocks other;
        return other.isLockedByAnyone(file) && other.lock(file) == kNoLock ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace tarnu
