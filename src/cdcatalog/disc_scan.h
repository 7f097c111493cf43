#pragma once

// Reading a volume (a disc or any directory) into catalog form: the directory tree and the
// CD listing. Plain POSIX, so it runs on a worker thread and from the command-line tool.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cdcatalog/cd_listing.h"

namespace tarnu {

struct ScannedDirectory {
    std::string name;
    std::vector<ScannedDirectory> children;  // in the order the file system gave them
};

struct ScanResult {
    ScannedDirectory root;             // its name is the CD name
    CdListing listing;                 // every directory after its subdirectories, the root last
    std::vector<std::string> skipped;  // directories that could not be read
    std::uint64_t directories = 0;
    std::uint64_t files = 0;
    bool stopped = false;
};

struct ScanOptions {
    std::string rootPath;
    std::string cdName;
    const std::atomic<bool>* stop = nullptr;  // checked between entries
    // Called with each directory's path as it is entered, on the scanning thread.
    std::function<void(const std::string&)> progress;
};

// Symbolic links are listed as files and never followed; directories on another file system
// than the root are not entered; unreadable directories are skipped and named in the result.
// Raises Error when the root itself cannot be read.
ScanResult scanVolume(const ScanOptions& options);

}  // namespace tarnu
