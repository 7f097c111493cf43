#pragma once

// A new archive file under construction beside the one it replaces, put in its place by
// one rename when complete. Entries go in one after the other, then the directory and the
// trailer; nothing is visible at the path before commit, and a writer destroyed without
// commit leaves the old file as it was.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/archive_format.h"
#include "common/atomic_file.h"
#include "common/error.h"
#include "common/stream.h"

namespace tarnu {

class ArchiveWriter {
public:
    // fileName names the archive in messages; a failure to make the new file raises
    // "Unable to open data-file %s". The engine deflates bytes held in memory (storeBytes);
    // without one, the one preferred at the level.
    ArchiveWriter(const std::string& fileName, TCompressionLevel level,
                  AtomicFile::Links links = AtomicFile::Links::Follow,
                  std::optional<DeflateEngine> engine = std::nullopt);
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    std::int64_t size() const { return size_; }

    // Appends stored bytes of another archive unchanged.
    void copyFrom(const FileStream& source, std::int64_t offset, std::int64_t length);
    // Appends the whole source, compressed when that comes out smaller, and fills in the
    // entry's offset, sizes, CRC, storage flag and level. The source is read piece by piece.
    void storeEntry(ArchiveEntry& entry, Stream& source);
    // The same for bytes in memory, compressed in one go.
    void storeBytes(ArchiveEntry& entry, std::string_view bytes);
    // Appends the directory of the entries and the trailer.
    ArchiveTrailer finish(const std::vector<ArchiveEntry>& entries);
    // Flushes the file and moves it into the archive's place.
    void commit();

private:
    [[noreturn]] void failNamed(const Error& e) const;
    void write(const void* data, std::size_t n);
    bool deflateEntry(ArchiveEntry& entry, Stream& source, std::int64_t expected);
    void copyRaw(ArchiveEntry& entry, Stream& source, std::int64_t expected);

    std::string fileName_;
    TCompressionLevel level_;
    DeflateEngine engine_;
    std::vector<unsigned char> in_;
    std::vector<unsigned char> out_;
    std::unique_ptr<AtomicFile> file_;
    std::int64_t size_ = 0;
    std::uint32_t crc_ = 0;
};

// One entry of an archive written in one go.
struct ArchiveSource {
    std::string name;
    std::string bytes;
};

// Writes a whole archive with these entries, in this order, in place of the file at path
// (a symbolic link keeps pointing at the new content): one new file, one flush, one rename.
// Raises on failure; the file at path then stays as it was. Without an engine, the one
// preferred at the level deflates the entries.
std::pair<ArchiveTrailer, std::vector<ArchiveEntry>> writeArchive(
    const std::string& path, const std::vector<ArchiveSource>& entries, TCompressionLevel level,
    std::optional<DeflateEngine> engine = std::nullopt);

}  // namespace tarnu
