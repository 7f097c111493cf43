#include "document/ini_file.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include "common/atomic_file.h"
#include "common/error.h"
#include "common/text_lines.h"

namespace tarnu {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// The name of a section header line; false for any other line.
bool sectionName(std::string_view line, std::string_view& name) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() != '[') {
        return false;
    }
    const std::string_view inner = t.substr(1);
    name = trim(inner.substr(0, inner.find(']')));
    return true;
}

// The key and value of a key line; false for comments, blank lines and lines without "=".
bool keyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[') {
        return false;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    return !key.empty();
}

bool hasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

void checkName(std::string_view name, std::string_view forbidden) {
    if (name.empty() || trim(name).size() != name.size() || hasLineBreak(name) ||
        name.find_first_of(forbidden) != std::string_view::npos || name.front() == ';' ||
        name.front() == '[') {
        throw Error("Invalid settings name \"" + std::string(name) + "\"");
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = foldAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool parseHex(std::string_view digits, bool negative, int& value) {
    if (digits.empty()) {
        return false;
    }
    long long v = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0) {
            return false;
        }
        v = v * 16 + d;
        // Hexadecimal texts may spell the bit pattern of a negative number ("$FFFFFFFF").
        if (v > std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
    }
    auto bits = static_cast<std::uint32_t>(v);
    if (negative) {
        bits = 0u - bits;
    }
    value = static_cast<int>(bits);
    return true;
}

}  // namespace

bool parseProfileInteger(std::string_view text, int& value) {
    std::string_view t = trim(text);
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.starts_with('$')) {
        return parseHex(t.substr(1), negative, value);
    }
    if (t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        return parseHex(t.substr(2), negative, value);
    }
    if (t.empty() || t.front() < '0' || t.front() > '9') {
        return false;
    }
    long long v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc{} || end != t.data() + t.size()) {
        return false;
    }
    v = negative ? -v : v;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

IniFile::IniFile(std::string_view text) : lines_(splitLines(text)) {
    if (const auto at = text.find_first_of("\r\n"); at != std::string_view::npos) {
        lineEnd_ = text.substr(at).starts_with("\r\n") ? "\r\n" : std::string(1, text[at]);
    }
}

IniFile IniFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (!QFile::exists(QString::fromStdString(path))) {
            return IniFile();
        }
        throw Error("Unable to read " + path + ": " + std::strerror(errno));
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        throw Error("Unable to read " + path);
    }
    return IniFile(bytes.str());
}

void IniFile::save(const std::string& path) const {
    writeFileAtomically(path, text());
}

std::string IniFile::text() const {
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += lineEnd_;
    }
    return out;
}

bool IniFile::findSection(std::string_view section, Range& range) const {
    std::string_view name;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!sectionName(lines_[i], name) || !equalsFolded(name, section)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < lines_.size() && !sectionName(lines_[end], name)) {
            ++end;
        }
        range = {i, end};
        return true;
    }
    return false;
}

std::size_t IniFile::findKey(const Range& range, std::string_view key) const {
    std::string_view k;
    std::string_view v;
    for (std::size_t i = range.begin + 1; i < range.end; ++i) {
        if (keyValue(lines_[i], k, v) && equalsFolded(k, key)) {
            return i;
        }
    }
    return std::string::npos;
}

const std::string* IniFile::findValueLine(std::string_view section, std::string_view key) const {
    Range range{};
    if (!findSection(section, range)) {
        return nullptr;
    }
    const std::size_t at = findKey(range, key);
    return at == std::string::npos ? nullptr : &lines_[at];
}

bool IniFile::hasSection(std::string_view section) const {
    Range range{};
    return findSection(section, range);
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const {
    return findValueLine(section, key) != nullptr;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const std::string* line = findValueLine(section, key);
    std::string_view k;
    std::string_view v;
    if (line == nullptr || !keyValue(*line, k, v)) {
        return std::string(defaultValue);
    }
    return std::string(v);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
    int value = 0;
    const std::string* line = findValueLine(section, key);
    std::string_view k;
    std::string_view v;
    if (line == nullptr || !keyValue(*line, k, v) || !parseProfileInteger(v, value)) {
        return defaultValue;
    }
    return value;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    checkName(section, "]");
    checkName(key, "=");
    if (hasLineBreak(value)) {
        throw Error("A settings value cannot hold a line break");
    }
    std::string line = std::string(key) + "=" + std::string(value);
    Range range{};
    if (!findSection(section, range)) {
        if (!lines_.empty() && !trim(lines_.back()).empty()) {
            lines_.emplace_back();
        }
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::move(line));
        return;
    }
    if (const std::size_t at = findKey(range, key); at != std::string::npos) {
        lines_[at] = std::move(line);
        return;
    }
    // After the section's last non-blank line, so that the blank line before the next
    // section stays where it is.
    std::size_t insertAt = range.end;
    while (insertAt > range.begin + 1 && trim(lines_[insertAt - 1]).empty()) {
        --insertAt;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

}  // namespace tarnu
