#pragma once

// Line-oriented texts of the program's data files (message tables, caption lists, lists
// kept in the data pack).

#include <string>
#include <string_view>
#include <vector>

namespace tarnu {

// Splits a text into lines at CR LF, a lone CR or a lone LF. A line break at the very end
// ends the last line without starting another, so "a\r\nb\r\n" and "a\r\nb" are both two
// lines and an empty text has none.
std::vector<std::string> splitLines(std::string_view text);

}  // namespace tarnu
