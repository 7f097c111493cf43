#include "model/wildcard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tarnu {
namespace {

// The matching rule written down as directly as it reads: exponential, for reference only.
bool referenceMatch(std::string_view p, std::string_view t, bool caseSensitive) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < p.size() && j < t.size()) {
        if (p[i] == '*') {
            while (i < p.size() && p[i] == '*') {
                ++i;
            }
            if (i == p.size()) {
                return true;
            }
            for (std::size_t k = j; k < t.size(); ++k) {
                if (referenceMatch(p.substr(i), t.substr(k), caseSensitive)) {
                    return true;
                }
            }
            return false;
        }
        if (p[i] != '?') {
            bool same = caseSensitive ? p[i] == t[j] : fold(p[i]) == fold(t[j]);
            if (!same) {
                return false;
            }
        }
        ++i;
        ++j;
    }
    return j == t.size() && p.substr(i).find_first_not_of("*?") == std::string_view::npos;
}

bool reference(std::string_view p, std::string_view t, bool cs) {
    return p.empty() || referenceMatch(p, t, cs);
}

TEST(Wildcard, RulesOfThePattern) {
    EXPECT_TRUE(wildcardMatch("", "anything", true));
    EXPECT_TRUE(wildcardMatch("", "", true));
    EXPECT_TRUE(wildcardMatch("*", "", true));
    EXPECT_TRUE(wildcardMatch("*?", "", true));
    EXPECT_TRUE(wildcardMatch("?", "", true));
    EXPECT_TRUE(wildcardMatch("ab?", "ab", true));
    EXPECT_TRUE(wildcardMatch("ab?", "abc", true));
    EXPECT_FALSE(wildcardMatch("ab?", "abcd", true));
    EXPECT_FALSE(wildcardMatch("a?c", "ac", true));
    EXPECT_TRUE(wildcardMatch("*.txt", "notes.txt", true));
    EXPECT_FALSE(wildcardMatch("*.txt", "notes.txt.bak", true));
    EXPECT_TRUE(wildcardMatch("*:*", ":Photos", true));
    EXPECT_FALSE(wildcardMatch("abc", "ab", true));
    EXPECT_FALSE(wildcardMatch("ab", "abc", true));
}

TEST(Wildcard, CaseFoldingCoversAsciiLettersOnly) {
    EXPECT_TRUE(wildcardMatch("README.TXT", "readme.txt", false));
    EXPECT_FALSE(wildcardMatch("README.TXT", "readme.txt", true));
    // Accented capitals (Latin-1 0xC9 / 0xE9) are not folded.
    EXPECT_FALSE(wildcardMatch("\xC9t\xE9", "\xE9t\xE9", false));
    // '[' and '{' are 0x20 apart like letters, but are not letters.
    EXPECT_FALSE(wildcardMatch("[", "{", false));
}

TEST(Wildcard, AgreesWithTheDirectRuleOnRandomInputs) {
    std::mt19937 rng(20261209);
    const std::string patternChars = "ab*?A";
    const std::string textChars = "abAB";
    auto randomText = [&](const std::string& alphabet, int maxLength) {
        std::string s(rng() % (maxLength + 1), ' ');
        for (auto& c : s) {
            c = alphabet[rng() % alphabet.size()];
        }
        return s;
    };
    for (int round = 0; round < 200000; ++round) {
        auto p = randomText(patternChars, 7);
        auto t = randomText(textChars, 9);
        bool cs = round % 2 == 0;
        ASSERT_EQ(wildcardMatch(p, t, cs), reference(p, t, cs))
            << "pattern '" << p << "' text '" << t << "' case " << cs;
    }
}

TEST(Wildcard, ManyStarsAgainstALongTextStayPolynomial) {
    std::string text(200000, 'a');
    EXPECT_FALSE(wildcardMatch("*a*a*a*a*a*a*a*a*b", text, true));
    text.back() = 'b';
    EXPECT_TRUE(wildcardMatch("*a*a*a*a*a*a*a*a*b", text, true));
}

}  // namespace
}  // namespace tarnu
