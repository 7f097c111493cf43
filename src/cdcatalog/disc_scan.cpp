#include "cdcatalog/disc_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/error.h"

namespace tarnu {

namespace {

struct Entry {
    std::string name;
    bool directory;
};

class Scanner {
public:
    explicit Scanner(const ScanOptions& options) : options_(options) {}

    ScanResult run() {
        const int fd = ::open(options_.rootPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            throw Error("Cannot read " + options_.rootPath + ": " + std::strerror(errno));
        }
        struct stat st {};
        ::fstat(fd, &st);
        device_ = st.st_dev;
        result_.root.name = options_.cdName;
        sectionPath_.push_back(options_.cdName);
        scan(fd, options_.rootPath, result_.root);
        return std::move(result_);
    }

private:
    bool stopRequested() const {
        return options_.stop && options_.stop->load(std::memory_order_relaxed);
    }

    // Takes ownership of fd.
    void scan(int fd, const std::string& path, ScannedDirectory& node) {
        ++result_.directories;
        if (options_.progress) {
            options_.progress(path);
        }
        const std::vector<Entry> entries = readEntries(fd, path);
        for (const Entry& entry : entries) {
            if (stopRequested()) {
                result_.stopped = true;
                break;
            }
            if (entry.directory) {
                enter(fd, path, entry.name, node);
            }
        }
        ::close(fd);
        if (result_.stopped) {
            return;
        }
        const std::string section = sectionName(sectionPath_);
        for (const Entry& entry : entries) {
            if (!entry.directory) {
                ++result_.files;
                result_.listing.addFile(section, entry.name);
            }
        }
    }

    void enter(int parentFd, const std::string& parentPath, const std::string& name,
               ScannedDirectory& parent) {
        const std::string path = parentPath + "/" + name;
        const int fd =
            ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0) {
            if (fd >= 0) {
                ::close(fd);
            }
            result_.skipped.push_back(path);
            return;
        }
        if (st.st_dev != device_) {
            ::close(fd);  // another file system mounted below the volume
            result_.skipped.push_back(path);
            return;
        }
        parent.children.push_back({name, {}});
        sectionPath_.push_back(name);
        scan(fd, path, parent.children.back());
        sectionPath_.pop_back();
    }

    std::vector<Entry> readEntries(int fd, const std::string& path) {
        std::vector<Entry> entries;
        const int own = ::dup(fd);
        DIR* dir = own < 0 ? nullptr : ::fdopendir(own);
        if (!dir) {
            if (own >= 0) {
                ::close(own);
            }
            result_.skipped.push_back(path);
            return entries;
        }
        while (const dirent* d = ::readdir(dir)) {
            const std::string_view name = d->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            entries.push_back({std::string(name), isDirectory(fd, *d)});
        }
        ::closedir(dir);
        return entries;
    }

    static bool isDirectory(int fd, const dirent& d) {
        if (d.d_type != DT_UNKNOWN) {
            return d.d_type == DT_DIR;
        }
        struct stat st {};
        return ::fstatat(fd, d.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }

    const ScanOptions& options_;
    ScanResult result_;
    dev_t device_ = 0;
    std::vector<std::string> sectionPath_;
};

}  // namespace

ScanResult scanVolume(const ScanOptions& options) {
    return Scanner(options).run();
}

}  // namespace tarnu
