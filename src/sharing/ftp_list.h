#pragma once

// The FTP address book (Data/FTPList.qfl): per server its host, a description and the
// status line of its last check, written as an indented outline.

#include <string>
#include <string_view>
#include <vector>

namespace tarnu {

inline constexpr std::string_view kFtpListFile = "Data/FTPList.qfl";
inline constexpr std::string_view kFtpStatusUnknown = "Last check: unknown";
inline constexpr std::string_view kInvalidTreeNodeLevel = "Invalid TreeNode Level";

struct FtpServerEntry {
    std::string host;
    std::string description;
    std::string status{kFtpStatusUnknown};
    bool operator==(const FtpServerEntry&) const = default;
};

struct FtpListParse {
    std::vector<FtpServerEntry> entries;  // as far as the text could be read
    bool invalidLevel = false;
};

// One space or tab per level; a line of the single character 26 ends the list. A line more
// than one level deeper than the line before stops the reading. A server without its two
// child lines gets an empty description and the unknown status.
FtpListParse parseFtpList(std::string_view text);
std::string formatFtpList(const std::vector<FtpServerEntry>& entries);

// Reads the file (a missing one is an empty list); raises Error "Invalid TreeNode Level",
// with entries holding what was read before.
void loadFtpList(const std::string& path, std::vector<FtpServerEntry>& entries);
// Creates the directory when missing.
void saveFtpList(const std::string& path, const std::vector<FtpServerEntry>& entries);

// "Last check: " date time "; Last state: live." or "...close.".
std::string ftpStatusLine(std::string_view dateTime, bool live);
// Servers and status lines are fixed; descriptions can be edited.
bool isEditableFtpText(int level, std::string_view text);

}  // namespace tarnu
