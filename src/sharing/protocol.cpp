#include "sharing/protocol.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace tarnu {

namespace {

constexpr char kFieldEnd = '#';
constexpr char kPathSeparator = '\\';
constexpr std::size_t kMaxTextLength = 255;
constexpr std::size_t kMaxEntries = 0xFFFF;
// Reply kinds are two letters and lengths a few digits; anything longer is not a header.
constexpr std::size_t kMaxReplyField = 16;

struct Field {
    ParseStatus status;
    std::string_view text;
    std::size_t end = 0;  // just past the "#"
};

// The field starting at from, up to its "#".
Field nextField(std::string_view buffer, std::size_t from, std::size_t limit) {
    const std::string_view rest = buffer.substr(std::min(from, buffer.size()));
    const std::size_t hash = rest.substr(0, limit + 1).find(kFieldEnd);
    if (hash == std::string_view::npos) {
        return {rest.size() > limit ? ParseStatus::Bad : ParseStatus::Incomplete, {}};
    }
    return {ParseStatus::Complete, rest.substr(0, hash), from + hash + 1};
}

template <typename Number>
std::optional<Number> parseDecimal(std::string_view text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::string_view kindField(ReplyKind kind) {
    switch (kind) {
        case ReplyKind::RootListing:
            return "GR";
        case ReplyKind::FolderListing:
            return "GD";
        case ReplyKind::FileAnnouncement:
            return "GF";
        case ReplyKind::Unknown:
            break;
    }
    return {};
}

void appendText(std::string& out, std::string_view text) {
    text = text.substr(0, kMaxTextLength);
    out += static_cast<char>(text.size());
    out += text;
}

// A length byte and that many bytes at pos; advances pos.
std::optional<std::string> readText(std::string_view bytes, std::size_t& pos) {
    if (pos >= bytes.size()) {
        return std::nullopt;
    }
    const std::size_t length = static_cast<unsigned char>(bytes[pos++]);
    if (bytes.size() - pos < length) {
        return std::nullopt;
    }
    std::string text(bytes.substr(pos, length));
    pos += length;
    return text;
}

}  // namespace

RequestParse parseRequest(std::string_view buffer) {
    const Field kind = nextField(buffer, 0, kMaxFieldLength);
    if (kind.status != ParseStatus::Complete) {
        return {kind.status, {}, 0};
    }
    if (kind.text == "GR") {
        return {ParseStatus::Complete, {RequestKind::Root, {}}, kind.end};
    }
    if (kind.text == "E") {
        return {ParseStatus::Complete, {RequestKind::Ack, {}}, kind.end};
    }
    if (kind.text == "GD" || kind.text == "GF") {
        const Field path = nextField(buffer, kind.end, kMaxFieldLength);
        if (path.status != ParseStatus::Complete) {
            return {path.status, {}, 0};
        }
        const RequestKind which = kind.text == "GD" ? RequestKind::Folder : RequestKind::File;
        return {ParseStatus::Complete, {which, std::string(path.text)}, path.end};
    }
    return {ParseStatus::Complete, {RequestKind::Unknown, {}}, kind.end};
}

std::string formatRequest(RequestKind kind, std::string_view path) {
    switch (kind) {
        case RequestKind::Root:
            return "GR#";
        case RequestKind::Folder:
            return "GD#" + std::string(path) + "#";
        case RequestKind::File:
            return "GF#" + std::string(path) + "#";
        case RequestKind::Ack:
            return "E#";
        case RequestKind::Unknown:
            break;
    }
    return {};
}

std::string buildListing(const std::vector<ListingEntry>& entries) {
    const std::size_t count = std::min(entries.size(), kMaxEntries);
    std::string out;
    out += static_cast<char>(count & 0xFF);
    out += static_cast<char>(count >> 8);
    for (std::size_t i = 0; i < count; ++i) {
        appendText(out, entries[i].caption);
        appendText(out, entries[i].size);
    }
    return out;
}

std::optional<std::vector<ListingEntry>> parseListing(std::string_view bytes) {
    if (bytes.size() < 2) {
        return std::nullopt;
    }
    const std::size_t count = static_cast<unsigned char>(bytes[0]) |
                              (static_cast<std::size_t>(static_cast<unsigned char>(bytes[1])) << 8);
    std::size_t pos = 2;
    std::vector<ListingEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        auto caption = readText(bytes, pos);
        auto size = caption ? readText(bytes, pos) : std::nullopt;
        if (!size) {
            return std::nullopt;
        }
        entries.push_back({std::move(*caption), std::move(*size)});
    }
    return entries;
}

ReplyParse parseReply(std::string_view buffer) {
    const Field kind = nextField(buffer, 0, kMaxReplyField);
    if (kind.status != ParseStatus::Complete) {
        return {kind.status, {}, 0};
    }
    ReplyKind which = ReplyKind::Unknown;
    for (ReplyKind known :
         {ReplyKind::RootListing, ReplyKind::FolderListing, ReplyKind::FileAnnouncement}) {
        if (kind.text == kindField(known)) {
            which = known;
        }
    }
    if (which == ReplyKind::Unknown) {
        return {ParseStatus::Complete, {ReplyKind::Unknown, {}}, buffer.size()};
    }
    const Field length = nextField(buffer, kind.end, kMaxReplyField);
    if (length.status != ParseStatus::Complete) {
        return {length.status, {}, 0};
    }
    const auto n = parseDecimal<std::size_t>(length.text);
    if (!n || *n > kMaxListingLength) {
        return {ParseStatus::Bad, {}, 0};
    }
    if (buffer.size() - length.end < *n) {
        return {ParseStatus::Incomplete, {}, 0};
    }
    return {ParseStatus::Complete,
            {which, std::string(buffer.substr(length.end, *n))},
            length.end + *n};
}

std::string formatListingReply(ReplyKind kind, std::string_view listing) {
    std::string out(kindField(kind));
    out += kFieldEnd;
    out += std::to_string(listing.size());
    out += kFieldEnd;
    out += listing;
    return out;
}

std::string formatFileAnnouncement(std::string_view name, std::int64_t size) {
    std::string payload(name);
    payload += kFieldEnd;
    payload += std::to_string(size);
    payload += kFieldEnd;
    return "GF#" + std::to_string(payload.size()) + "#" + payload;
}

std::optional<FileAnnouncement> parseFileAnnouncement(std::string_view payload) {
    if (payload.empty() || payload.back() != kFieldEnd) {
        return std::nullopt;
    }
    payload.remove_suffix(1);
    const std::size_t hash = payload.rfind(kFieldEnd);
    if (hash == std::string_view::npos) {
        return std::nullopt;
    }
    const auto size = parseDecimal<std::int32_t>(payload.substr(hash + 1));
    if (!size) {
        return std::nullopt;
    }
    return FileAnnouncement{std::string(payload.substr(0, hash)), *size};
}

std::string formatItemPath(const std::vector<std::size_t>& positions) {
    std::string path;
    for (std::size_t position : positions) {
        path += kPathSeparator;
        path += std::to_string(position);
    }
    return path;
}

std::optional<std::vector<std::size_t>> parseItemPath(std::string_view path) {
    std::vector<std::size_t> positions;
    std::size_t separator = path.find(kPathSeparator);
    while (separator != std::string_view::npos) {
        const std::size_t next = path.find(kPathSeparator, separator + 1);
        const std::string_view part = path.substr(separator + 1, next - separator - 1);
        // Unsigned: no sign is taken, and a number past 32 bits is refused, not wrapped.
        const auto position = parseDecimal<std::uint32_t>(part);
        if (!position) {
            return std::nullopt;
        }
        positions.push_back(*position);
        separator = next;
    }
    return positions;
}

bool isSafeDownloadName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

}  // namespace tarnu
