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

namespace {

std::optional<std::uint16_t> parsePort(std::string_view text) {
    unsigned value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<ServerAddress> parseServerAddress(std::string_view text,
                                                std::uint16_t defaultControlPort,
                                                std::uint16_t defaultFilePort) {
    const std::size_t colon = text.find(':');
    const auto address = parseDottedQuad(text.substr(0, colon));
    if (!address) {
        return std::nullopt;
    }
    if (colon == std::string_view::npos) {
        return ServerAddress{*address, defaultControlPort, defaultFilePort};
    }
    const std::string_view ports = text.substr(colon + 1);
    const std::size_t second = ports.find(':');
    const auto control = parsePort(ports.substr(0, second));
    if (!control) {
        return std::nullopt;
    }
    if (second == std::string_view::npos) {
        if (*control == 65535) {
            return std::nullopt;  // no port after it
        }
        return ServerAddress{*address, *control, static_cast<std::uint16_t>(*control + 1)};
    }
    const auto file = parsePort(ports.substr(second + 1));
    if (!file) {
        return std::nullopt;
    }
    return ServerAddress{*address, *control, *file};
}

std::string formatDottedQuad(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

}  // namespace tarnu
