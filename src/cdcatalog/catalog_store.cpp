#include "cdcatalog/catalog_store.h"

#include <sys/stat.h>

#include "cdcatalog/cd_listing.h"
#include "common/error.h"
#include "common/stream.h"

namespace tarnu {

bool CatalogStore::exists() const {
    struct stat st {};
    return ::stat(path_.c_str(), &st) == 0;
}

template <typename Steps>
auto CatalogStore::withStore(Steps steps) {
    archive_.CompressionLevel = TCompressionLevel::fcMaximum;
    archive_.VerifyFileCRC = true;
    try {
        if (exists()) {
            archive_.open(path_);
        } else {
            archive_.create(path_);
        }
        auto result = steps();
        archive_.close();
        return result;
    } catch (...) {
        archive_.close();
        throw;
    }
}

void CatalogStore::put(std::string_view name, std::string_view bytes) {
    MemoryStream content{std::string(bytes)};
    if (archive_.indexOf(name) < 0) {
        archive_.addStream(name, content);
    } else {
        archive_.replaceFromStream(name, content);
    }
}

void CatalogStore::saveTree(std::string_view text) {
    withStore([&] {
        put(kTreeEntry, text);
        return 0;
    });
}

std::optional<std::string> CatalogStore::loadTree() {
    return withStore([&] { return extractIfPresent(archive_, kTreeEntry); });
}

void CatalogStore::addListing(std::string_view cdName, std::string_view text) {
    withStore([&] {
        put(listingEntryName(cdName), text);
        return 0;
    });
}

void CatalogStore::deleteListing(std::string_view cdName) {
    withStore([&] {
        if (archive_.indexOf(listingEntryName(cdName)) >= 0) {
            archive_.deleteEntry(listingEntryName(cdName));
        }
        return 0;
    });
}

std::optional<std::string> CatalogStore::readListing(std::string_view cdName) {
    return withStore([&] { return extractIfPresent(archive_, listingEntryName(cdName)); });
}

bool CatalogStore::isStore(const std::string& path) {
    TZLBArchive archive;
    archive.VerifyFileCRC = true;
    try {
        archive.open(path);
        const bool holdsTree = archive.indexOf(kTreeEntry) >= 0;
        if (holdsTree) {
            MemoryStream content;
            archive.extractToStream(kTreeEntry, content);
        }
        archive.close();
        return holdsTree;
    } catch (const Error&) {
        return false;
    }
}

}  // namespace tarnu
