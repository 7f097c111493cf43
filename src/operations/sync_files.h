#pragma once

// The file operations that synchronize makes on the user's files: copy (replacing), move
// (never replacing), and putting a file into the desktop's trash. Each reports what went
// wrong instead of failing silently, and none ever destroys the file it was asked to copy
// or move.

#include <string>

namespace tarnu {

// Empty on success, otherwise the reason in the system's words.
using FileError = std::string;

class SyncFiles {
public:
    virtual ~SyncFiles() = default;

    bool isDirectory(const std::string& path) const;
    // Creates one directory (its parent must exist).
    FileError makeDirectory(const std::string& path);
    // Anything at the path, a dangling symbolic link included.
    bool exists(const std::string& path) const;
    // Both paths name one file (the same device and inode).
    bool sameFile(const std::string& a, const std::string& b) const;

    // Copies a regular file to the target, replacing what is there only once the whole copy
    // is written. A target that is the source itself is left as it is.
    FileError copy(const std::string& source, const std::string& target);
    // Moves a regular file to a target that must not exist yet. Across file systems the copy
    // is flushed and its size checked before the source is removed.
    FileError move(const std::string& source, const std::string& target);

    enum class Disposal { Trashed, Deleted, Failed };
    // Into the freedesktop trash; deleted only where no trash can take it.
    Disposal dispose(const std::string& path, FileError& error);

protected:
    // The system calls a test may replace: rename without replacing (0 or an errno value),
    // and the move to the trash.
    virtual int renameNoReplace(const std::string& from, const std::string& to);
    virtual bool moveToTrash(const std::string& path);

private:
    FileError copyInto(const std::string& source, const std::string& target, bool replace,
                       bool durable);
};

}  // namespace tarnu
