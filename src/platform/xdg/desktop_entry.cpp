#include "platform/xdg/desktop_entry.h"

#include <utility>

namespace tarnu::xdg {

namespace {

constexpr std::string_view kGroup = "[Desktop Entry]";
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters that keep their meaning inside double quotes and need a backslash there.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

std::string_view trimLeft(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view{} : s.substr(first);
}

std::string_view trimRight(std::string_view s) {
    const auto last = s.find_last_not_of(" \t\r");
    return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

std::string unescapeValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                // "\\" and escapes this reader does not know keep their second character.
                out += value[i];
                break;
        }
    }
    return out;
}

}  // namespace

std::string execArgument(std::string_view argument) {
    std::string body;
    for (char c : argument) {
        if (c == '%') {
            body += '%';
        }
        body += c;
    }
    if (!argument.empty() && argument.find_first_of(kReserved) == std::string_view::npos) {
        return body;
    }
    std::string quoted = "\"";
    for (char c : body) {
        if (kEscapedInQuotes.find(c) != std::string_view::npos) {
            quoted += '\\';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string escapeValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        switch (value[i]) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case ' ':
                out += i == 0 ? "\\s" : " ";
                break;
            default:
                out += value[i];
                break;
        }
    }
    return out;
}

std::optional<std::string> entryValue(std::string_view fileText, std::string_view key) {
    bool inGroup = false;
    while (!fileText.empty()) {
        const auto eol = fileText.find('\n');
        const std::string_view line = trimRight(fileText.substr(0, eol));
        fileText.remove_prefix(eol == std::string_view::npos ? fileText.size() : eol + 1);
        if (line.starts_with('[')) {
            inGroup = line == kGroup;
            continue;
        }
        const auto eq = line.find('=');
        if (!inGroup || line.starts_with('#') || eq == std::string_view::npos) {
            continue;
        }
        if (trimRight(line.substr(0, eq)) == key) {
            return unescapeValue(trimLeft(line.substr(eq + 1)));
        }
    }
    return std::nullopt;
}

std::string desktopEntry(std::initializer_list<std::pair<std::string_view, std::string>> keys) {
    std::string out(kGroup);
    out += '\n';
    for (const auto& [key, value] : keys) {
        out.append(key).append("=").append(value).append("\n");
    }
    return out;
}

}  // namespace tarnu::xdg
