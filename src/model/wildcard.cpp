#include "model/wildcard.h"

#include <cstddef>

namespace tarnu {

namespace {

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool onlyWildcards(std::string_view rest) {
    return rest.find_first_not_of("*?") == std::string_view::npos;
}

}  // namespace

// Greedy matching with a single back-tracking point at the last "*" seen: a "*" can always
// absorb more text, so retrying only the segment after the latest one gives the same answer
// as trying every split, in O(|pattern| * |text|) at worst instead of exponential time.
bool wildcardMatch(std::string_view pattern, std::string_view text, bool caseSensitive) {
    if (pattern.empty()) {
        return true;
    }
    auto same = [caseSensitive](char p, char t) {
        return caseSensitive ? p == t : foldAscii(p) == foldAscii(t);
    };
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t starResume = std::string_view::npos;  // pattern index after the last "*"
    std::size_t textResume = 0;                       // text index that "*" will absorb next
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            while (p < pattern.size() && pattern[p] == '*') {
                ++p;
            }
            if (p == pattern.size()) {
                return true;
            }
            starResume = p;
            textResume = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], text[t]))) {
            ++p;
            ++t;
        } else if (starResume != std::string_view::npos) {
            p = starResume;
            t = ++textResume;
        } else {
            return false;
        }
    }
    return onlyWildcards(pattern.substr(p));
}

}  // namespace tarnu
