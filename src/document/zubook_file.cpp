#include "document/zubook_file.h"

#include <filesystem>
#include <system_error>

#include "common/error.h"
#include "common/stream.h"
#include "document/zubook_entries.h"
#include "model/node_stream.h"

namespace tarnu {

namespace {

std::string extractRequired(TZLBArchive& archive, std::string_view name) {
    auto bytes = extractIfPresent(archive, name);
    if (!bytes) {
        throw Error(formatMessage("%s not found in archive", name));
    }
    return std::move(*bytes);
}

// Runs the steps with the archive open, closing it whatever happens.
template <typename Steps>
auto withArchive(TZLBArchive& archive, Steps steps) {
    try {
        auto result = steps();
        archive.close();
        return result;
    } catch (...) {
        archive.close();
        throw;
    }
}

}  // namespace

ZuBookFile readZuBookFile(TZLBArchive& archive, const std::string& path) {
    return withArchive(archive, [&] {
        archive.open(path);
        ZuBookFile file;
        file.userTable = extractRequired(archive, kUserTableEntry);
        file.itemRec = extractRequired(archive, kItemRecEntry);
        file.plugIns = extractIfPresent(archive, kPlugInsEntry);
        file.hotFolders = extractIfPresent(archive, kHotFoldersEntry);
        file.nodesState = extractIfPresent(archive, kNodesStateEntry);
        file.sharedFiles = extractIfPresent(archive, kSharedFilesEntry);
        return file;
    });
}

std::optional<std::string> readPlugInData(TZLBArchive& archive, const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return std::nullopt;
    }
    return withArchive(archive, [&] {
        archive.open(path);
        return extractIfPresent(archive, kPlugInsEntry);
    });
}

ZuBookSnapshot takeSnapshot(const ZuTree& tree, const HotFolderTable& hotFolders,
                            const SharedTree& shared, std::optional<std::string> plugIns,
                            TCompressionLevel level) {
    ZuBookSnapshot snapshot;
    snapshot.level = level;
    auto& entries = snapshot.entries;
    if (plugIns) {
        entries.push_back({std::string(kPlugInsEntry), std::move(*plugIns)});
    }
    MemoryStream table;
    writeNodeStream(tree, table);
    entries.push_back({std::string(kUserTableEntry), table.takeBytes()});
    entries.push_back({std::string(kItemRecEntry), writeItemRecords(tree)});
    entries.push_back({std::string(kHotFoldersEntry), hotFolders.write()});
    entries.push_back({std::string(kNodesStateEntry), writeNodesState(tree)});
    entries.push_back({std::string(kSharedFilesEntry), shared.toBytes()});
    return snapshot;
}

void writeSnapshot(const ZuBookSnapshot& snapshot, const std::string& path) {
    writeArchive(path, snapshot.entries, snapshot.level);
}

void writeZuBookFile(TZLBArchive& archive, const std::string& path, const ZuTree& tree,
                     const HotFolderTable& hotFolders, const SharedTree& shared,
                     const std::optional<std::string>& plugIns) {
    writeSnapshot(takeSnapshot(tree, hotFolders, shared, plugIns, archive.CompressionLevel), path);
}

}  // namespace tarnu
