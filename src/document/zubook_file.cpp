#include "document/zubook_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/error.h"
#include "common/path.h"
#include "common/stream.h"
#include "document/zubook_entries.h"
#include "model/node_stream.h"

namespace tarnu {

namespace {

std::optional<std::string> extractIfPresent(TZLBArchive& archive, std::string_view name) {
    if (archive.indexOf(name) < 0) {
        return std::nullopt;
    }
    MemoryStream content;
    archive.extractToStream(name, content);
    return content.takeBytes();
}

std::string extractRequired(TZLBArchive& archive, std::string_view name) {
    auto bytes = extractIfPresent(archive, name);
    if (!bytes) {
        throw Error(formatMessage("%s not found in archive", name));
    }
    return std::move(*bytes);
}

void addEntry(TZLBArchive& archive, std::string_view name, std::string bytes) {
    MemoryStream content(std::move(bytes));
    archive.addStream(name, content);
}

// A name beside target that no other file has, for building the new ZuBook in.
std::string siblingTempName(const std::string& target) {
    auto dir = path::directory(target);
    std::string pattern = (dir.empty() ? std::string("./") : std::string(dir)) + ".ZLBXXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        throw Error(formatMessage("Unable to open data-file %s", target));
    }
    ::close(fd);
    std::remove(pattern.c_str());  // the archive object creates it afresh
    return pattern;
}

void keepPermissions(const std::string& from, const std::string& to) {
    struct stat st {};
    if (::stat(from.c_str(), &st) == 0) {
        ::chmod(to.c_str(), st.st_mode & 07777);
    }
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

void writeZuBookFile(TZLBArchive& archive, const std::string& path, const ZuTree& tree,
                     const HotFolderTable& hotFolders, const SharedTree& shared,
                     const std::optional<std::string>& plugIns) {
    const std::string temp = siblingTempName(path);
    try {
        withArchive(archive, [&] {
            archive.create(temp);
            if (plugIns) {
                addEntry(archive, kPlugInsEntry, *plugIns);
            }
            MemoryStream table;
            writeNodeStream(tree, table);
            addEntry(archive, kUserTableEntry, table.takeBytes());
            addEntry(archive, kItemRecEntry, writeItemRecords(tree));
            addEntry(archive, kHotFoldersEntry, hotFolders.write());
            addEntry(archive, kNodesStateEntry, writeNodesState(tree));
            addEntry(archive, kSharedFilesEntry, shared.toBytes());
            return 0;
        });
        keepPermissions(path, temp);
        if (std::rename(temp.c_str(), path.c_str()) != 0) {
            throw Error(formatMessage("Unable to open data-file %s", path));
        }
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
}

}  // namespace tarnu
