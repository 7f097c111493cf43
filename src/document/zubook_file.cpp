#include "document/zubook_file.h"

#include <filesystem>
#include <system_error>

#include "common/error.h"
#include "common/stream.h"
#include "document/zubook_entries.h"
#include "model/node_stream.h"

namespace tarnu {

namespace {

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

// Records are 10 bytes each, at most one per node, then a count.
std::int64_t itemRecordsLimit(std::size_t nodeCount) {
    return 10 * static_cast<std::int64_t>(nodeCount) + 4;
}

// Ten slots of three lines: a digit, a parent path and a caption. No path is longer than
// all captions and their separators together.
std::int64_t hotFoldersLimit(const ZuTree& tree) {
    std::int64_t captions = 0;
    tree.forEachInFlatOrder([&](Node* node) {
        captions += static_cast<std::int64_t>(node->text(kColCaption).size()) + 1;
        return true;
    });
    return HotFolderTable::kSlots * (8 + captions);
}

}  // namespace

ZuBookReader::ZuBookReader(TZLBArchive& archive, const std::string& path)
    : archive_(archive), path_(path) {
    naming([&] {
        archive_.open(path_);
        for (std::string_view name : {kUserTableEntry, kItemRecEntry}) {
            if (archive_.indexOf(name) < 0) {
                archive_.close();
                throw Error(formatMessage(archive_messages::kEntryNotFound, name));
            }
        }
        return 0;
    });
}

ZuBookReader::~ZuBookReader() {
    archive_.close();
}

void ZuBookReader::rethrowNamed(const Error& e) const {
    const std::string_view text = e.what();
    if (text.find(path_) != std::string_view::npos) {
        throw;
    }
    throw Error(withDetail(text, path_));
}

std::vector<Node*> ZuBookReader::readTree(ZuTree& tree, std::size_t memoryBudget) {
    return naming([&] {
        const auto in = archive_.openEntry(kUserTableEntry);
        std::vector<Node*> order = readNodeStream(tree, *in, memoryBudget);
        in->finish();
        return order;
    });
}

std::optional<std::string> ZuBookReader::boundedEntry(std::string_view name, std::int64_t limit) {
    return naming([&]() -> std::optional<std::string> {
        const int i = archive_.indexOf(name);
        if (i < 0) {
            return std::nullopt;
        }
        if (archive_.entries()[static_cast<std::size_t>(i)].uncompressedSize > limit) {
            throw Error(formatMessage(kEntryTooLarge, name));
        }
        return extractIfPresent(archive_, name);
    });
}

std::string ZuBookReader::itemRecords(std::size_t nodeCount) {
    return *boundedEntry(kItemRecEntry, itemRecordsLimit(nodeCount));
}

std::optional<std::string> ZuBookReader::nodesState(std::size_t nodeCount) {
    return boundedEntry(kNodesStateEntry, static_cast<std::int64_t>(nodeCount) + 4);
}

std::optional<std::string> ZuBookReader::hotFolders(const ZuTree& tree) {
    return boundedEntry(kHotFoldersEntry, hotFoldersLimit(tree));
}

std::unique_ptr<EntryReader> ZuBookReader::sharedFiles() {
    return naming([&]() -> std::unique_ptr<EntryReader> {
        if (archive_.indexOf(kSharedFilesEntry) < 0) {
            return nullptr;
        }
        return archive_.openEntry(kSharedFilesEntry);
    });
}

std::optional<std::int64_t> ZuBookReader::entrySize(std::string_view name) const {
    const int i = archive_.indexOf(name);
    if (i < 0) {
        return std::nullopt;
    }
    return archive_.entries()[static_cast<std::size_t>(i)].uncompressedSize;
}

std::optional<std::string> ZuBookReader::wholeEntry(std::string_view name) {
    return naming([&] { return extractIfPresent(archive_, name); });
}

ZuBookFile readZuBookFile(TZLBArchive& archive, const std::string& path) {
    ZuBookReader reader(archive, path);
    ZuBookFile file;
    file.userTable = *reader.wholeEntry(kUserTableEntry);
    file.itemRec = *reader.wholeEntry(kItemRecEntry);
    file.plugIns = reader.wholeEntry(kPlugInsEntry);
    file.hotFolders = reader.wholeEntry(kHotFoldersEntry);
    file.nodesState = reader.wholeEntry(kNodesStateEntry);
    file.sharedFiles = reader.wholeEntry(kSharedFilesEntry);
    return file;
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
