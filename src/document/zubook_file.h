#pragma once

// A ZuBook file as a whole: its entries read in one go, and a complete new file written
// beside the old one and moved into its place.

#include <optional>
#include <string>

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

// Writes every entry in its order. On any failure the file at path is left as it was.
void writeZuBookFile(TZLBArchive& archive, const std::string& path, const ZuTree& tree,
                     const HotFolderTable& hotFolders, const SharedTree& shared,
                     const std::optional<std::string>& plugIns);

}  // namespace tarnu
