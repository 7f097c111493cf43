#pragma once

// A ZuBook file as a whole: its entries read in one go, and a complete new file written
// beside the old one and moved into its place.

#include <optional>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/zlb_archive.h"
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

// Raises the archive's errors, and "%s not found in archive" for a missing "UserTable.tbl"
// or "ItemRec.lst". The archive is closed afterwards in every case.
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
