#pragma once

// The user's list of sharing servers (Data/FavServers.fs: one caption per line, CR LF) and
// the IPv4 address rules every server operation shares.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sharing/protocol.h"

namespace tarnu {

inline constexpr std::string_view kServerListFile = "Data/FavServers.fs";

// The captions of the file's text, one per line.
std::vector<std::string> parseServerList(std::string_view text);
// The captions in file order; a missing file is an empty list.
std::vector<std::string> readServerList(const std::string& path);
// Creates the directory when missing; an empty list writes an empty file.
void writeServerList(const std::string& path, const std::vector<std::string>& captions);

// The caption before its first " -", or the whole caption.
std::string addressPart(std::string_view caption);
// Exactly four decimal numbers 0 to 255 joined by "."; the first octet is the most
// significant byte.
std::optional<std::uint32_t> parseDottedQuad(std::string_view text);
std::string formatDottedQuad(std::uint32_t address);

// Where a server entry's address part leads. Plain addresses, all that older lists hold, use
// the default ports; "A.B.C.D:PORT" names the control port, and the file port is the next
// one, as with the defaults; "A.B.C.D:PORT:FILEPORT" names both. Ports run from 1 to 65535.
struct ServerAddress {
    std::uint32_t address = 0;
    std::uint16_t controlPort = kControlPort;
    std::uint16_t filePort = kFilePort;
    bool operator==(const ServerAddress&) const = default;
};
std::optional<ServerAddress> parseServerAddress(std::string_view text,
                                                std::uint16_t defaultControlPort = kControlPort,
                                                std::uint16_t defaultFilePort = kFilePort);

}  // namespace tarnu
