#include "cdcatalog/cd_listing.h"

#include <algorithm>
#include <cstdio>

#include "archive/crc32.h"
#include "cdcatalog/catalog_tree.h"
#include "common/text_lines.h"

namespace tarnu {

namespace {

bool isSectionLine(std::string_view line) {
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// A file line that would read as a section header or be skipped keeps its name escaped.
std::string fileLine(std::string_view name) {
    std::string line = escapeName(name);
    if (isSectionLine(line)) {
        line.replace(0, 1, "%5B");
    }
    return line;
}

}  // namespace

ListingSection& CdListing::section(const std::string& name) {
    const auto [at, added] = byName_.try_emplace(name, sections_.size());
    if (added) {
        byFoldedName_.emplace(foldAsciiCase(name), sections_.size());
        sections_.push_back({name, {}});
    }
    return sections_[at->second];
}

void CdListing::addFile(const std::string& section, std::string name) {
    this->section(section).files.push_back(std::move(name));
}

std::vector<std::string> CdListing::files(std::string_view section) const {
    const auto [first, last] = byFoldedName_.equal_range(foldAsciiCase(section));
    std::vector<std::size_t> positions;
    for (auto it = first; it != last; ++it) {
        positions.push_back(it->second);
    }
    std::sort(positions.begin(), positions.end());  // sections of one name in file order
    std::vector<std::string> out;
    for (const std::size_t at : positions) {
        const auto& files = sections_[at].files;
        out.insert(out.end(), files.begin(), files.end());
    }
    return out;
}

std::string CdListing::toText() const {
    std::string out;
    for (const auto& section : sections_) {
        out += '[';
        out += section.name;
        out += "]\r\n";
        for (const auto& name : section.files) {
            out += fileLine(name);
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

CdListing CdListing::fromText(std::string_view text) {
    CdListing listing;
    std::string current;  // lines before the first section belong nowhere
    bool inSection = false;
    for (const std::string& line : splitLines(text)) {
        if (line.empty() || line == "\x1a") {
            continue;
        }
        if (isSectionLine(line)) {
            current = line.substr(1, line.size() - 2);
            listing.section(current);
            inSection = true;
        } else if (inSection) {
            listing.section(current).files.push_back(unescapeName(line));
        }
    }
    return listing;
}

std::string foldAsciiCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return out;
}

std::string sectionName(const std::vector<std::string>& pathFromCd) {
    std::string name;
    for (const auto& element : pathFromCd) {
        name += escapeName(element);
        name += '\\';
    }
    if (name.size() <= kMaxSectionName) {
        return name;
    }
    char tag[16];
    std::snprintf(tag, sizeof tag, "~%08X\\", crc32Update(0, name.data(), name.size()));
    return name.substr(0, kMaxSectionName - std::string_view(tag).size()) + tag;
}

std::string sectionName(const CatalogNode& node) {
    std::vector<std::string> path;
    for (const CatalogNode* p = &node; p && p->parent(); p = p->parent()) {
        path.push_back(p->text());
    }
    std::reverse(path.begin(), path.end());
    return sectionName(path);
}

}  // namespace tarnu
