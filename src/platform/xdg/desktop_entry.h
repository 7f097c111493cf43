#pragma once

// The parts of the desktop-entry format the integration needs: quoting a program path for
// an Exec key, escaping string values, and reading a key of the "Desktop Entry" group.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tarnu::xdg {

// One Exec argument: quoted in double quotes when it holds a reserved character (blank,
// quote, "\", "$", "`", ...), with "%" doubled so that it is never taken for a field code.
std::string execArgument(std::string_view argument);

// A value of type string as it is written after "Key=": "\", line breaks, tabs and a
// leading blank escaped.
std::string escapeValue(std::string_view value);

// The value of a key of the "[Desktop Entry]" group, unescaped; nothing when absent.
std::optional<std::string> entryValue(std::string_view fileText, std::string_view key);

// A whole desktop entry file: "[Desktop Entry]" and the given "Key=value" lines, which the
// caller has escaped.
std::string desktopEntry(std::initializer_list<std::pair<std::string_view, std::string>> keys);

}  // namespace tarnu::xdg
