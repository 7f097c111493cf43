#pragma once

// The control protocol's bytes, both ways, without any socket: requests, reply headers,
// listings and item paths. Parsers take a connection's buffered bytes and say whether they
// hold a complete message, need more bytes, or can never become one.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnu {

class Node;

inline constexpr std::uint16_t kControlPort = 31011;
inline constexpr std::uint16_t kFilePort = 31012;

// Longest header field a peer may send before its "#": a path of hundreds of levels fits,
// and a peer that never sends "#" cannot grow a buffer without bound.
inline constexpr std::size_t kMaxFieldLength = 4096;
// Largest listing a client accepts; the length travels as decimal text, so it is not bound
// to 16 bits, but a peer must not make the client buffer without limit either.
inline constexpr std::size_t kMaxListingLength = 16 * 1024 * 1024;

enum class ParseStatus { Complete, Incomplete, Bad };

enum class RequestKind { Root, Folder, File, Ack, Unknown };

struct Request {
    RequestKind kind = RequestKind::Unknown;
    std::string path;  // folder and file requests
};

struct RequestParse {
    ParseStatus status = ParseStatus::Incomplete;
    Request request;
    std::size_t consumed = 0;  // bytes of the buffer that the request took
};

// The first request at the start of buffer. An unknown first field is a complete request of
// kind Unknown, consumed with its "#", which the server ignores.
RequestParse parseRequest(std::string_view buffer);

std::string formatRequest(RequestKind kind, std::string_view path = {});

// One child in a listing: its caption, and its size text (empty for a folder).
struct ListingEntry {
    std::string caption;
    std::string size;
    bool operator==(const ListingEntry&) const = default;
};

// Count (2 bytes, little-endian), then per entry a length byte and the caption, a length
// byte and the size. Texts longer than 255 bytes are cut; at most 65535 entries go out.
std::string buildListing(const std::vector<ListingEntry>& entries);
// Empty when the bytes are shorter than the count says.
std::optional<std::vector<ListingEntry>> parseListing(std::string_view bytes);

enum class ReplyKind { RootListing, FolderListing, FileAnnouncement, Unknown };

struct Reply {
    ReplyKind kind = ReplyKind::Unknown;
    std::string payload;
};

struct ReplyParse {
    ParseStatus status = ParseStatus::Incomplete;
    Reply reply;
    std::size_t consumed = 0;
};

// The first reply at the start of buffer: kind "#" n "#" and n bytes of payload. A reply of
// an unknown kind is complete with kind Unknown and consumes the whole buffer, as nothing
// tells where it ends.
ReplyParse parseReply(std::string_view buffer);

std::string formatListingReply(ReplyKind kind, std::string_view listing);
// "GF#" n "#" name "#" size "#", n counting the bytes after the second "#".
std::string formatFileAnnouncement(std::string_view name, std::int64_t size);

struct FileAnnouncement {
    std::string name;
    std::int32_t size = 0;
};
// The size is the field before the final "#", so a name holding "#" still parses.
std::optional<FileAnnouncement> parseFileAnnouncement(std::string_view payload);

// "\2\0": the child positions from the root down. Empty for the root.
std::string formatItemPath(const std::vector<std::size_t>& positions);
// The positions of a path; empty optional when a part is not a decimal number. The part
// before the first "\" is ignored.
std::optional<std::vector<std::size_t>> parseItemPath(std::string_view path);

// A name a peer gave for a download that may become a file name in the download directory:
// no separators, no NUL, not "." or "..", not empty.
bool isSafeDownloadName(std::string_view name);

}  // namespace tarnu
