#include "cdcatalog/catalog_tree.h"

#include <algorithm>
#include <cstdio>

#include "common/error.h"
#include "common/text_lines.h"

namespace tarnu {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool isEscape(std::string_view text, std::size_t at) {
    return text[at] == '%' && at + 2 < text.size() && hexValue(text[at + 1]) >= 0 &&
           hexValue(text[at + 2]) >= 0;
}

void appendHex(std::string& out, unsigned char c) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += '%';
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
}

}  // namespace

int CatalogNode::level() const {
    int level = 0;
    for (const CatalogNode* p = parent_; p; p = p->parent_) {
        ++level;
    }
    return level;
}

CatalogLevel CatalogNode::kind() const {
    const int l = level();
    return l == 0 ? CatalogLevel::Catalog : l == 1 ? CatalogLevel::Cd : CatalogLevel::Directory;
}

const CatalogNode* CatalogNode::cd() const {
    const CatalogNode* node = this;
    if (!node->parent_) {
        return nullptr;
    }
    while (node->parent_->parent_) {
        node = node->parent_;
    }
    return node;
}

std::vector<std::unique_ptr<CatalogNode>>& CatalogTree::siblingsOf(CatalogNode* parent) {
    return parent ? parent->children_ : roots_;
}

void CatalogTree::insertSorted(std::vector<std::unique_ptr<CatalogNode>>& list,
                               std::unique_ptr<CatalogNode> node) {
    const auto at = std::upper_bound(list.begin(), list.end(), node->text_,
                                     [&](const std::string& text, const auto& other) {
                                         return collation_.compare(text, other->text_) < 0;
                                     });
    list.insert(at, std::move(node));
}

CatalogNode* CatalogTree::add(CatalogNode* parent, std::string text) {
    auto node = std::make_unique<CatalogNode>(std::move(text), parent);
    CatalogNode* raw = node.get();
    insertSorted(siblingsOf(parent), std::move(node));
    return raw;
}

void CatalogTree::rename(CatalogNode* node, std::string text) {
    auto& list = siblingsOf(node->parent_);
    const auto at =
        std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == node; });
    std::unique_ptr<CatalogNode> owned = std::move(*at);
    list.erase(at);
    owned->text_ = std::move(text);
    insertSorted(list, std::move(owned));
}

void CatalogTree::remove(const CatalogNode* node) {
    auto& list = siblingsOf(node->parent_);
    std::erase_if(list, [&](const auto& p) { return p.get() == node; });
}

const CatalogNode* CatalogTree::next(const CatalogNode* node) const {
    if (!node->children_.empty()) {
        return node->children_.front().get();
    }
    for (; node; node = node->parent_) {
        const auto& list = node->parent_ ? node->parent_->children_ : roots_;
        const auto at =
            std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == node; });
        if (at != list.end() && at + 1 != list.end()) {
            return (at + 1)->get();
        }
    }
    return nullptr;
}

void CatalogTree::sortAll() {
    const auto sortList = [&](const auto& self,
                              std::vector<std::unique_ptr<CatalogNode>>& list) -> void {
        std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
            return collation_.compare(a->text_, b->text_) < 0;
        });
        for (auto& node : list) {
            self(self, node->children_);
        }
    };
    sortList(sortList, roots_);
}

std::vector<const CatalogNode*> CatalogTree::cds() const {
    std::vector<const CatalogNode*> out;
    for (const auto& catalog : roots_) {
        for (const auto& cd : catalog->children_) {
            out.push_back(cd.get());
        }
    }
    return out;
}

bool CatalogTree::hasCd(std::string_view name) const {
    const auto all = cds();
    return std::any_of(all.begin(), all.end(), [&](const auto* cd) { return cd->text_ == name; });
}

std::string CatalogTree::toText() const {
    std::string out;
    const auto write = [&](const auto& self, const CatalogNode& node, int level) -> void {
        out.append(static_cast<std::size_t>(level), '\t');
        std::string text = escapeName(node.text_);
        // A leading space would read back as one more level.
        if (!text.empty() && text.front() == ' ') {
            text.replace(0, 1, "%20");
        }
        out += text;
        out += "\r\n";
        for (const auto& child : node.children_) {
            self(self, *child, level + 1);
        }
    };
    for (const auto& root : roots_) {
        write(write, *root, 0);
    }
    return out;
}

void CatalogTree::loadText(std::string_view text) {
    roots_.clear();
    try {
        readLines(text);
    } catch (const Error&) {
        sortAll();
        throw;
    }
    sortAll();
}

void CatalogTree::readLines(std::string_view text) {
    std::vector<CatalogNode*> lastAtLevel;
    for (const std::string& line : splitLines(text)) {
        const std::size_t depth = line.find_first_not_of("\t ");
        if (depth == std::string::npos) {
            continue;  // a blank line holds no node
        }
        const std::string name = unescapeName(std::string_view(line).substr(depth));
        if (depth > lastAtLevel.size()) {
            char message[64];
            std::snprintf(message, sizeof message, "Invalid level (%d) for item \"",
                          static_cast<int>(depth));
            throw Error(message + name + "\"");
        }
        CatalogNode* parent = depth == 0 ? nullptr : lastAtLevel[depth - 1];
        // Children keep file order here; the whole tree is sorted once it is read.
        auto node = std::make_unique<CatalogNode>(name, parent);
        lastAtLevel.resize(depth);
        lastAtLevel.push_back(node.get());
        siblingsOf(parent).push_back(std::move(node));
    }
}

std::string escapeName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7f || c == '\\' || isEscape(name, i)) {
            appendHex(out, c);
        } else {
            out += name[i];
        }
    }
    return out;
}

std::string unescapeName(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isEscape(text, i)) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace tarnu
