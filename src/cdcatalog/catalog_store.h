#pragma once

// The CD catalog store: an archive holding the tree text as "CDBase" and one listing per CD.
// Each operation opens the store, creating it when missing, and closes it again.

#include <optional>
#include <string>
#include <string_view>

#include "archive/zlb_archive.h"

namespace tarnu {

inline constexpr std::string_view kTreeEntry = "CDBase";

class CatalogStore {
public:
    explicit CatalogStore(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    bool exists() const;

    void saveTree(std::string_view text);
    // Empty when the store holds no tree.
    std::optional<std::string> loadTree();

    // A listing left in the store by a CD that is no longer in the tree is replaced.
    void addListing(std::string_view cdName, std::string_view text);
    void deleteListing(std::string_view cdName);
    std::optional<std::string> readListing(std::string_view cdName);

    // True when the file opens as a store: an archive holding the tree.
    static bool isStore(const std::string& path);

private:
    template <typename Steps>
    auto withStore(Steps steps);
    void put(std::string_view name, std::string_view bytes);

    std::string path_;
    TZLBArchive archive_;
};

}  // namespace tarnu
