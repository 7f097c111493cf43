#include "sharing/server_list.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/atomic_file.h"
#include "common/text_lines.h"

namespace tarnu {

std::vector<std::string> readServerList(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    return parseServerList(std::string{std::istreambuf_iterator<char>(in), {}});
}

std::vector<std::string> parseServerList(std::string_view text) {
    return splitLines(text);
}

void writeServerList(const std::string& path, const std::vector<std::string>& captions) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::string text;
    for (const std::string& caption : captions) {
        text += caption;
        text += "\r\n";
    }
    writeFileAtomically(path, text);
}

std::string addressPart(std::string_view caption) {
    return std::string(caption.substr(0, caption.find(" -")));
}

std::optional<std::uint32_t> parseDottedQuad(std::string_view text) {
    std::uint32_t address = 0;
    for (int octet = 0; octet < 4; ++octet) {
        const std::size_t dot = octet < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos || dot == 0 || dot > 3) {
            return std::nullopt;
        }
        unsigned value = 0;
        const auto result = std::from_chars(text.data(), text.data() + dot, value);
        if (result.ec != std::errc() || result.ptr != text.data() + dot || value > 255) {
            return std::nullopt;
        }
        address = address << 8 | value;
        text.remove_prefix(octet < 3 ? dot + 1 : dot);
    }
    return address;
}

std::string formatDottedQuad(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

}  // namespace tarnu
