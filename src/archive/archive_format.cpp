#include "archive/archive_format.h"

#include <cstring>

#include "common/bytes.h"
#include "common/error.h"

namespace tarnu {

namespace archive_format {

namespace {

// Field offsets of a directory record.
constexpr int kRecName = 1;
constexpr int kRecFolder = 257;
constexpr int kRecUncompressed = 516;
constexpr int kRecStored = 520;
constexpr int kRecOffset = 524;
constexpr int kRecCrc = 528;
constexpr int kRecAsIs = 532;
constexpr int kRecLevel = 533;

// Field offsets of the trailer.
constexpr int kTrCrc = 4;
constexpr int kTrCount = 8;
constexpr int kTrVersion = 12;
constexpr int kTrDirSize = 16;
constexpr int kTrDirOffset = 20;
constexpr int kTrCompressed = 24;

// Inflating expands deflate data at most about 1032 times; a size claiming more is damage.
constexpr std::int64_t kMaxInflateRatio = 1032;

void putShortString(unsigned char* at, std::string_view s) {
    at[0] = static_cast<unsigned char>(s.size());
    std::memcpy(at + 1, s.data(), s.size());
}

std::string getShortString(const unsigned char* at) {
    return std::string(reinterpret_cast<const char*>(at + 1), at[0]);
}

}  // namespace

void fail(std::string_view pattern, std::string_view arg) {
    throw Error(formatMessage(pattern, arg));
}

std::string cutName(std::string_view name) {
    return std::string(name.substr(0, kMaxName));
}

std::string foldKey(std::string_view folder, std::string_view name) {
    std::string key;
    key.reserve(folder.size() + name.size());
    for (std::string_view part : {folder, name}) {
        for (char c : part) {
            key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    return key;
}

int findEntry(const std::vector<ArchiveEntry>& entries, const std::string& key) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].key() == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void encodeRecord(const ArchiveEntry& e, unsigned char* rec) {
    std::memset(rec, 0, kRecordSize);
    putShortString(rec + kRecName, e.name.substr(0, kMaxName));
    putShortString(rec + kRecFolder, e.folder.substr(0, kMaxName));
    putI32(rec + kRecUncompressed, e.uncompressedSize);
    putI32(rec + kRecStored, e.storedSize);
    putU32(rec + kRecOffset, e.offset);
    putU32(rec + kRecCrc, e.crc);
    rec[kRecAsIs] = e.storedAsIs ? 1 : 0;
    rec[kRecLevel] = e.level;
}

ArchiveEntry decodeRecord(const unsigned char* rec) {
    ArchiveEntry e;
    e.name = getShortString(rec + kRecName);
    e.folder = getShortString(rec + kRecFolder);
    e.uncompressedSize = getI32(rec + kRecUncompressed);
    e.storedSize = getI32(rec + kRecStored);
    e.offset = getU32(rec + kRecOffset);
    e.crc = getU32(rec + kRecCrc);
    e.storedAsIs = rec[kRecAsIs] != 0;
    e.level = rec[kRecLevel];
    return e;
}

std::vector<unsigned char> encodeRecords(const std::vector<ArchiveEntry>& entries) {
    std::vector<unsigned char> records(entries.size() * kRecordSize);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        encodeRecord(entries[i], records.data() + i * kRecordSize);
    }
    return records;
}

void encodeTrailer(const ArchiveTrailer& t, unsigned char* out) {
    std::memset(out, 0, kTrailerSize);
    putU32(out + kTrCrc, t.crc);
    putI32(out + kTrCount, t.count);
    putI32(out + kTrVersion, t.version);
    putI32(out + kTrDirSize, t.directorySize);
    putU32(out + kTrDirOffset, t.directoryOffset);
    out[kTrCompressed] = t.directoryCompressed ? 1 : 0;
}

ArchiveTrailer decodeTrailer(const unsigned char* in) {
    ArchiveTrailer t;
    t.crc = getU32(in + kTrCrc);
    t.count = getI32(in + kTrCount);
    t.version = getI32(in + kTrVersion);
    t.directorySize = getI32(in + kTrDirSize);
    t.directoryOffset = getU32(in + kTrDirOffset);
    t.directoryCompressed = in[kTrCompressed] != 0;
    return t;
}

void checkTrailer(const ArchiveTrailer& t, std::int64_t body) {
    if (t.count < 0 || t.directoryOffset > body) {
        fail(archive_messages::kCorrupted);
    }
    const std::int64_t room = body - t.directoryOffset;
    const std::int64_t records = std::int64_t{t.count} * kRecordSize;
    if (t.directoryCompressed) {
        if (t.directorySize < 0 || t.directorySize > room ||
            records > std::int64_t{t.directorySize} * kMaxInflateRatio) {
            fail(archive_messages::kCorrupted);
        }
    } else if (records > room) {
        fail(archive_messages::kCorrupted);
    }
}

void checkEntries(const std::vector<ArchiveEntry>& entries, std::int64_t dataEnd) {
    std::int64_t end = 0;
    for (const ArchiveEntry& e : entries) {
        const std::int64_t stored = e.storedSize;
        const std::int64_t size = e.uncompressedSize;
        if (stored < 0 || size < 0 || e.offset < end || e.offset + stored > dataEnd) {
            fail(archive_messages::kCorrupted);
        }
        if (e.storedAsIs ? size != stored : size > stored * kMaxInflateRatio) {
            fail(archive_messages::kCorrupted);
        }
        end = e.offset + stored;
    }
}

}  // namespace archive_format

std::string ArchiveEntry::key() const {
    return archive_format::foldKey(folder, name);
}

}  // namespace tarnu
