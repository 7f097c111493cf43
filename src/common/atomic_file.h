#pragma once

// Replacing a file so that readers see either the old content or the whole new one, even
// across a crash or a power loss: the new content is built beside the target, flushed, given
// the old file's permissions and renamed over it, and the directory is flushed after.

#include <memory>
#include <string>
#include <string_view>

#include "common/stream.h"

namespace tarnu {

class AtomicFile {
public:
    // Follow: a symbolic link at the path keeps pointing where it did and its target gets
    // the new content. Replace: whatever is at the path, a link included, is replaced.
    enum class Links { Follow, Replace };

    // Opens the new content, empty. Raises Error (with the system's reason) when no file can
    // be made beside the target. Our own temporaries that a dead process left in that
    // directory are removed first.
    explicit AtomicFile(const std::string& path, Links links = Links::Follow);
    // Without commit, the new content is dropped and the target stays as it was.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The file that commit replaces (a link's target when links are followed).
    const std::string& target() const { return target_; }
    FileStream& stream() { return *stream_; }

    // Flushes the content and puts it in the target's place; raises Error on failure, and
    // the target then stays as it was.
    void commit();

    // Temporaries are named kTempPrefix, the owner's process id, "-" and random letters.
    static constexpr std::string_view kTempPrefix = "ZLB";

private:
    void link(const std::string& name);

    std::string target_;
    std::string dir_;
    std::string tempName_;  // empty while the content has no name
    std::unique_ptr<FileStream> stream_;
    bool exists_ = false;
    unsigned mode_ = 0;
};

// Replaces the file at path by the bytes, following a symbolic link.
void writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace tarnu
