#include "cdcatalog/cd_listing.h"

#include <algorithm>
#include <cstdio>

#include "archive/crc32.h"
#include "cdcatalog/catalog_tree.h"
#include "common/text_lines.h"

namespace tarnu {

namespace {

bool sameSection(std::string_view a, std::string_view b) {
    const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

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

void CdListing::addFile(const std::string& section, std::string name) {
    if (sections_.empty() || sections_.back().name != section) {
        const auto at = std::find_if(sections_.begin(), sections_.end(),
                                     [&](const auto& s) { return s.name == section; });
        if (at == sections_.end()) {
            sections_.push_back({section, {}});
        } else {
            at->files.push_back(std::move(name));
            return;
        }
    }
    sections_.back().files.push_back(std::move(name));
}

std::vector<std::string> CdListing::files(std::string_view section) const {
    std::vector<std::string> out;
    for (const auto& s : sections_) {
        if (sameSection(s.name, section)) {
            out.insert(out.end(), s.files.begin(), s.files.end());
        }
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
    ListingSection* current = nullptr;
    for (const std::string& line : splitLines(text)) {
        if (line.empty() || line == "\x1a") {
            continue;
        }
        if (isSectionLine(line)) {
            listing.sections_.push_back({line.substr(1, line.size() - 2), {}});
            current = &listing.sections_.back();
        } else if (current) {
            current->files.push_back(unescapeName(line));
        }
    }
    return listing;
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
