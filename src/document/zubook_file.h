#pragma once

// A ZuBook file as a whole: its entries read in one go, and a complete new file written
// beside the old one and moved into its place.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/zlb_archive.h"
#include "common/error.h"
#include "document/hot_folders.h"
#include "document/shared_files.h"
#include "model/tree.h"

namespace tarnu {

struct ZuBookFile {
    std::string userTable;
    std::string itemRec;
    std::optional<std::string> plugIns;
    std::optional<std::string> hotFolders;
    std::optional<std::string> nodesState;
    std::optional<std::string> sharedFiles;
};

inline constexpr std::string_view kEntryTooLarge = "%s is larger than its ZuBook can need";

// Reads a ZuBook file entry by entry while it holds the archive open, so that memory follows
// what the file really holds: the tree is built from the inflating entry, and the record
// entries are refused when they are larger than the tree read can need. Every error names
// the file.
class ZuBookReader {
public:
    // Opens the file; raises the archive's errors, and "%s not found in archive" for a
    // missing "UserTable.tbl" or "ItemRec.lst".
    ZuBookReader(TZLBArchive& archive, const std::string& path);
    // Closes the archive.
    ~ZuBookReader();
    ZuBookReader(const ZuBookReader&) = delete;
    ZuBookReader& operator=(const ZuBookReader&) = delete;

    // Replaces the tree by "UserTable.tbl" and returns its nodes in the order read (see
    // readNodeStream); refused when it would need more than memoryBudget bytes.
    std::vector<Node*> readTree(ZuTree& tree, std::size_t memoryBudget);
    // The record entries of a tree of nodeCount nodes.
    std::string itemRecords(std::size_t nodeCount);
    std::optional<std::string> nodesState(std::size_t nodeCount);
    std::optional<std::string> hotFolders(const ZuTree& tree);
    // "SharedFiles.sf" as a stream; null when absent.
    std::unique_ptr<EntryReader> sharedFiles();
    // The uncompressed size of an entry; nothing when absent.
    std::optional<std::int64_t> entrySize(std::string_view name) const;
    // Whole entries, as large as they come: for inspecting files, not for loading them.
    std::optional<std::string> wholeEntry(std::string_view name);

    // Runs the steps, adding the file's name to an error that does not hold it yet.
    template <typename Steps>
    auto naming(Steps steps) {
        try {
            return steps();
        } catch (const Error& e) {
            rethrowNamed(e);
        }
    }

private:
    std::optional<std::string> boundedEntry(std::string_view name, std::int64_t limit);
    [[noreturn]] void rethrowNamed(const Error& e) const;

    TZLBArchive& archive_;
    std::string path_;
};

// Every entry whole. Raises as ZuBookReader does. The archive is closed afterwards in every
// case.
ZuBookFile readZuBookFile(TZLBArchive& archive, const std::string& path);

// The "User_FPlugIns" entry of an existing ZuBook file, to carry over into the next save;
// nothing when the file does not exist or has none.
std::optional<std::string> readPlugInData(TZLBArchive& archive, const std::string& path);

// Every entry of a ZuBook file as the tree and its tables give it at one moment, ready to
// be written. It refers to nothing of theirs, so it can be written on another thread while
// the tree goes on changing.
struct ZuBookSnapshot {
    TCompressionLevel level = TCompressionLevel::fcMaximum;
    std::vector<ArchiveSource> entries;  // in the order of the file
};

// Produces the bytes of every entry; plugIns is the "User_FPlugIns" entry to carry over.
ZuBookSnapshot takeSnapshot(const ZuTree& tree, const HotFolderTable& hotFolders,
                            const SharedTree& shared, std::optional<std::string> plugIns,
                            TCompressionLevel level);

// Compresses the entries and writes the whole file in place of the one at path, following
// a symbolic link: one new file, one flush, one rename. Safe on any thread, since it touches
// neither the tree nor any Qt object. On failure it raises and the file at path stays as
// it was.
void writeSnapshot(const ZuBookSnapshot& snapshot, const std::string& path);

// Both steps in one, at the archive object's level.
void writeZuBookFile(TZLBArchive& archive, const std::string& path, const ZuTree& tree,
                     const HotFolderTable& hotFolders, const SharedTree& shared,
                     const std::optional<std::string>& plugIns);

}  // namespace tarnu
