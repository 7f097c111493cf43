#pragma once

// A CD listing: the file names of a CD, one section per directory that holds files, in INI
// style ("[Holiday\Photos\]", one name per line, an empty line), lines ending in CR LF.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnu {

class CatalogNode;

struct ListingSection {
    std::string name;                // such as "Holiday\Photos\"
    std::vector<std::string> files;  // raw names, in the order the file system gave them
};

class CdListing {
public:
    // Appends to the named section, created at its first file.
    void addFile(const std::string& section, std::string name);
    bool empty() const { return sections_.empty(); }
    const std::vector<ListingSection>& sections() const { return sections_; }
    // The files of a section, its name compared without A-Z case; empty when it has none.
    std::vector<std::string> files(std::string_view section) const;

    std::string toText() const;
    // Reads any text: lines before the first section, empty lines and a lone character 26
    // are passed over.
    static CdListing fromText(std::string_view text);

private:
    ListingSection& section(const std::string& name);

    std::vector<ListingSection> sections_;
    // Positions of the sections by exact name and by name with A-Z folded: a CD has one
    // section per directory, tens of thousands on a large volume.
    std::unordered_map<std::string, std::size_t> byName_;
    std::unordered_multimap<std::string, std::size_t> byFoldedName_;
};

// The longest section name that fits a 255-character line with its brackets.
inline constexpr std::size_t kMaxSectionName = 253;

// Section name of a directory: the node texts from the CD down, each followed by "\". A name
// too long for its line is cut and given a checksum of the whole path, so that deep
// directories keep sections of their own that read back by the same rules.
std::string sectionName(const std::vector<std::string>& pathFromCd);
std::string sectionName(const CatalogNode& node);

// The text with A-Z in lower case and every other byte as it is: how section names and
// store entry names compare.
std::string foldAsciiCase(std::string_view text);

// The listing entry of a CD in the store.
inline std::string listingEntryName(std::string_view cdName) {
    return std::string(cdName) + ".cd";
}

}  // namespace tarnu
