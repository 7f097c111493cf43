#pragma once

// The byte layout of an archive file, free of any I/O: the 536-byte directory records and
// the 40-byte trailer, and the structural checks a file read from disk must pass.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnu {

enum class TCompressionLevel : std::uint8_t {
    fcNone = 0,
    fcFastest = 1,
    fcDefault = 2,
    fcMaximum = 3
};

// What deflates entries: both write the same zlib stream format.
enum class DeflateEngine { Zlib, Libdeflate };

// True when the build has libdeflate.
bool haveLibdeflate();

inline constexpr int kTrailerSize = 40;
inline constexpr int kRecordSize = 536;
inline constexpr int kArchiveVersion = 1;

// The engine measured faster on the same node stream: libdeflate, at every level (see
// engineLevel for the maximum). Zlib where the build has no libdeflate.
DeflateEngine preferredEngine(TCompressionLevel level);

struct ArchiveTrailer {
    std::uint32_t crc = 0;
    std::int32_t count = 0;
    std::int32_t version = 0;
    std::int32_t directorySize = 0;  // stored size of a compressed directory; 0 when plain
    std::uint32_t directoryOffset = 0;
    bool directoryCompressed = false;
};

struct ArchiveEntry {
    std::string name;    // at most 255 bytes
    std::string folder;  // empty in every archive the program writes
    std::int32_t uncompressedSize = 0;
    std::int32_t storedSize = 0;
    std::uint32_t offset = 0;
    std::uint32_t crc = 0;
    bool storedAsIs = true;
    std::uint8_t level = 0;

    // Folder followed by name, A-Z folded to lower case: the lookup key.
    std::string key() const;
};

// Message texts, exactly as the user sees them.
namespace archive_messages {
inline constexpr const char* kNotFound = "Data-file not found";
inline constexpr const char* kUnableToOpen = "Unable to open data-file %s";
inline constexpr const char* kCorrupted = "The data-file appears to be corrupted";
inline constexpr const char* kRegistry = "Error reading registry";
inline constexpr const char* kNotOpen = "No data-file is currently open";
inline constexpr const char* kIndexOutOfBounds = "Index out of bounds";
inline constexpr const char* kExtractTo = "Error extracting file to %s";
inline constexpr const char* kCrcFailed = "%s failed CRC check";
inline constexpr const char* kEntryNotFound = "%s not found in archive";
inline constexpr const char* kAlreadyExists = "%s already exists in the data-file";
inline constexpr const char* kVersion = "The data-file have different version...";
inline constexpr const char* kTooLarge = "%s is too large for the data-file";
}  // namespace archive_messages

namespace archive_format {

inline constexpr std::size_t kMaxName = 255;
// The I/O block: large enough to keep system calls few, small enough to stay in cache.
inline constexpr std::size_t kBlock = std::size_t{1} << 20;

// Raises Error with the pattern's "%s" filled in.
[[noreturn]] void fail(std::string_view pattern, std::string_view arg = {});

// Names longer than a record holds are cut.
std::string cutName(std::string_view name);
// Only A-Z fold: other bytes, including non-ASCII letters, compare exactly.
std::string foldKey(std::string_view folder, std::string_view name);
// The position of the entry with that key, or -1.
int findEntry(const std::vector<ArchiveEntry>& entries, const std::string& key);

void encodeRecord(const ArchiveEntry& entry, unsigned char* record);
ArchiveEntry decodeRecord(const unsigned char* record);
// All records in order, count × 536 bytes.
std::vector<unsigned char> encodeRecords(const std::vector<ArchiveEntry>& entries);

void encodeTrailer(const ArchiveTrailer& trailer, unsigned char* out);
ArchiveTrailer decodeTrailer(const unsigned char* in);

// Raise "The data-file appears to be corrupted" for a trailer that does not fit the
// body (the bytes before it), and for entries that leave the data region, overlap, are out
// of directory order or claim sizes their stored bytes cannot hold.
void checkTrailer(const ArchiveTrailer& trailer, std::int64_t body);
void checkEntries(const std::vector<ArchiveEntry>& entries, std::int64_t dataEnd);

}  // namespace archive_format

}  // namespace tarnu
