#include "sharing/ftp_list.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/atomic_file.h"
#include "common/error.h"
#include "common/text_lines.h"

namespace tarnu {

namespace {

constexpr char kEndOfList = 26;

}  // namespace

FtpListParse parseFtpList(std::string_view text) {
    FtpListParse parsed;
    int previous = -1;
    int childIndex = 0;
    for (const std::string& line : splitLines(text)) {
        if (line.size() == 1 && line[0] == kEndOfList) {
            break;
        }
        const std::size_t indent = line.find_first_not_of(" \t");
        const int level = static_cast<int>(indent == std::string::npos ? line.size() : indent);
        if (level > previous + 1) {
            parsed.invalidLevel = true;
            break;
        }
        previous = level;
        const std::string value = line.substr(static_cast<std::size_t>(level));
        if (level == 0) {
            parsed.entries.push_back({value, "", std::string(kFtpStatusUnknown)});
            childIndex = 0;
        } else if (level == 1 && !parsed.entries.empty()) {
            FtpServerEntry& server = parsed.entries.back();
            (childIndex++ == 0 ? server.description : server.status) = value;
        }
    }
    return parsed;
}

std::string formatFtpList(const std::vector<FtpServerEntry>& entries) {
    std::string text;
    for (const FtpServerEntry& entry : entries) {
        text += entry.host + "\r\n " + entry.description + "\r\n " + entry.status + "\r\n";
    }
    return text;
}

void loadFtpList(const std::string& path, std::vector<FtpServerEntry>& entries) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return;
    }
    FtpListParse parsed = parseFtpList(std::string{std::istreambuf_iterator<char>(in), {}});
    entries = std::move(parsed.entries);
    if (parsed.invalidLevel) {
        throw Error(std::string(kInvalidTreeNodeLevel));
    }
}

void saveFtpList(const std::string& path, const std::vector<FtpServerEntry>& entries) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    writeFileAtomically(path, formatFtpList(entries));
}

std::string ftpStatusLine(std::string_view dateTime, bool live) {
    return "Last check: " + std::string(dateTime) +
           (live ? "; Last state: live." : "; Last state: close.");
}

bool isEditableFtpText(int level, std::string_view text) {
    return level > 0 && !text.starts_with("Last check: ");
}

}  // namespace tarnu
