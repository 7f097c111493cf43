#pragma once

// An INI text read and written with the rules of the classic private-profile functions, so
// that settings written by earlier versions read the same.

#include <string>
#include <string_view>
#include <vector>

namespace tarnu {

// Rules:
// - "[name]" starts a section; "key=value" is a key; spaces and tabs around section names,
//   keys and values do not count; lines starting with ";" are comments.
// - Section and key names compare ignoring the case of A to Z. The first section of a name
//   is the one that counts, and within it the first key of a name.
// - A missing section or key reads as the caller's default; so does an integer that is not
//   one (decimal, or hexadecimal after "$" or "0x").
// - Booleans are written as 1 or 0; any non-zero integer reads as on.
// - Writing a key changes only its own line (or inserts one at the end of its section, or
//   appends the section): every other line, comment and blank line stays where it was.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string_view text);

    // The file's content; an empty text when the file does not exist. Raises Error when it
    // exists but cannot be read.
    static IniFile load(const std::string& path);
    // Writes the text beside the file and moves it into place when complete.
    void save(const std::string& path) const;

    // Lines end as the text they came from ended its first line; CR LF for a new text.
    std::string text() const;

    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Section and key names must be non-empty single lines that the reader would give back
    // (no "]" in a section, no "=" in a key, no surrounding blanks); a value must hold no line
    // break. Anything else raises Error, because it would change other keys when read back.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);

private:
    struct Range {
        std::size_t begin;  // the section's header line
        std::size_t end;    // one past its last line
    };

    bool findSection(std::string_view section, Range& range) const;
    // The line of the key within the section, or npos.
    std::size_t findKey(const Range& range, std::string_view key) const;
    const std::string* findValueLine(std::string_view section, std::string_view key) const;

    std::vector<std::string> lines_;
    std::string lineEnd_ = "\r\n";
};

// Reads an integer as the profile functions' callers do: optional sign, then decimal digits
// or hexadecimal digits after "$" or "0x"; surrounding blanks allowed. False when the text
// is not such an integer or does not fit an int.
bool parseProfileInteger(std::string_view text, int& value);

}  // namespace tarnu
