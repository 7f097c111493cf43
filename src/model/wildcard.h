#pragma once

#include <string_view>

namespace tarnu {

// Matches a text against a pattern of "*" (any run of characters) and "?" (any one
// character; at the end of the text it may stand for none). Without case sensitivity only
// the letters A-Z and a-z are taken as equal; no other character is folded.
bool wildcardMatch(std::string_view pattern, std::string_view text, bool caseSensitive);

}  // namespace tarnu
