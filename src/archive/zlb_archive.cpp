#include "archive/zlb_archive.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>

#include "archive/archive_writer.h"
#include "archive/crc32.h"
#include "archive/zlib_stream.h"
#include "common/error.h"
#include "common/path.h"

namespace tarnu {

using namespace archive_messages;
using archive_format::cutName;
using archive_format::fail;
using archive_format::findEntry;
using archive_format::foldKey;
using archive_format::kBlock;

namespace {

std::unique_ptr<FileStream> openForReading(const std::string& fileName) {
    try {
        return std::make_unique<FileStream>(fileName, FileStream::Mode::Read);
    } catch (const Error&) {
        fail(kUnableToOpen, fileName);
    }
}

// Reads exactly n bytes at an offset of the archive; a short read means the file was cut.
void readArchive(const FileStream& file, std::int64_t offset, void* buffer, std::size_t n) {
    if (file.readAt(offset, buffer, n) != n) {
        fail(kCorrupted);
    }
}

std::vector<ArchiveEntry> readDirectory(const FileStream& file, const ArchiveTrailer& t) {
    constexpr std::int64_t kChunk = 128 * kRecordSize;
    const std::int64_t total = std::int64_t{t.count} * kRecordSize;
    std::vector<unsigned char> records(static_cast<std::size_t>(std::min(total, kChunk)));
    std::unique_ptr<RangeInflater> inflater;
    if (t.directoryCompressed) {
        inflater =
            std::make_unique<RangeInflater>(file, t.directoryOffset, t.directorySize, kBlock);
    }
    std::vector<ArchiveEntry> entries;
    for (std::int64_t done = 0; done < total;) {
        const auto n = static_cast<std::size_t>(std::min(kChunk, total - done));
        const bool ok = inflater ? inflater->read(records.data(), n)
                                 : file.readAt(t.directoryOffset + done, records.data(), n) == n;
        if (!ok) {
            fail(kRegistry);
        }
        for (std::size_t at = 0; at < n; at += kRecordSize) {
            entries.push_back(archive_format::decodeRecord(records.data() + at));
        }
        done += static_cast<std::int64_t>(n);
    }
    return entries;
}

std::uint32_t streamCrc(Stream& s) {
    const std::int64_t keep = s.position();
    s.seek(0);
    std::vector<unsigned char> buf(kBlock);
    std::uint32_t crc = 0;
    while (const std::size_t n = s.read(buf.data(), buf.size())) {
        crc = crc32Update(crc, buf.data(), n);
    }
    s.seek(keep);
    return crc;
}

// Runs of separators become one, a trailing one goes; an empty directory is the current one.
std::string normalizeDirectory(std::string_view dir) {
    std::string out;
    for (char c : dir) {
        if (c != path::kSeparator || out.empty() || out.back() != path::kSeparator) {
            out += c;
        }
    }
    if (out.size() > 1 && out.back() == path::kSeparator) {
        out.pop_back();
    }
    return out.empty() ? std::string(".") : out;
}

bool isPlainComponent(std::string_view part) {
    return !part.empty() && part != "." && part != ".." &&
           part.find(path::kSeparator) == std::string_view::npos &&
           part.find('\0') == std::string_view::npos;
}

bool makeDirectories(const std::string& dir) {
    for (std::size_t at = dir.find(path::kSeparator, 1); at != std::string::npos;
         at = dir.find(path::kSeparator, at + 1)) {
        ::mkdir(dir.substr(0, at).c_str(), 0777);
    }
    ::mkdir(dir.c_str(), 0777);
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

TZLBArchive::TZLBArchive() = default;

TZLBArchive::~TZLBArchive() = default;

void TZLBArchive::requireOpen() const {
    if (!isOpen()) {
        fail(kNotOpen);
    }
}

const std::vector<ArchiveEntry>& TZLBArchive::entries() const {
    requireOpen();
    return entries_;
}

void TZLBArchive::open(const std::string& fileName) {
    close();
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            fail(kNotFound);
        }
        fail(kUnableToOpen, fileName);
    }
    if (!S_ISREG(st.st_mode)) {
        fail(kUnableToOpen, fileName);
    }
    const auto file = openForReading(fileName);
    const std::int64_t size = file->size();
    if (size < kTrailerSize) {
        fail(kCorrupted);
    }
    const std::int64_t body = size - kTrailerSize;
    unsigned char raw[kTrailerSize];
    readArchive(*file, body, raw, sizeof raw);
    const ArchiveTrailer trailer = archive_format::decodeTrailer(raw);
    if (trailer.version != kArchiveVersion) {
        fail(kVersion);
    }
    if (VerifyArchiveCRC) {
        ::posix_fadvise(file->fd(), 0, body, POSIX_FADV_SEQUENTIAL);
        std::vector<unsigned char> buf(
            static_cast<std::size_t>(std::min<std::int64_t>(body, std::int64_t(kBlock))));
        std::uint32_t crc = 0;
        for (std::int64_t at = 0; at < body;) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(body - at, std::int64_t(buf.size())));
            readArchive(*file, at, buf.data(), n);
            crc = crc32Update(crc, buf.data(), n);
            at += static_cast<std::int64_t>(n);
        }
        if (crc != trailer.crc) {
            fail(kCorrupted);
        }
    }
    archive_format::checkTrailer(trailer, body);
    std::vector<ArchiveEntry> entries = readDirectory(*file, trailer);
    archive_format::checkEntries(entries, trailer.directoryOffset);

    fileName_ = fileName;
    newArchive_ = false;
    trailer_ = trailer;
    entries_ = std::move(entries);
}

void TZLBArchive::close() noexcept {
    fileName_.clear();
    newArchive_ = false;
    trailer_ = {};
    entries_.clear();
}

void TZLBArchive::create(const std::string& fileName) {
    close();
    struct stat st {};
    if (::lstat(fileName.c_str(), &st) == 0) {
        fail(kAlreadyExists, fileName);
    }
    fileName_ = fileName;
    newArchive_ = true;
    trailer_.version = kArchiveVersion;
}

int TZLBArchive::indexOf(std::string_view name) const {
    requireOpen();
    return findEntry(entries_, foldKey({}, cutName(name)));
}

int TZLBArchive::entryCount() const {
    requireOpen();
    return static_cast<int>(entries_.size());
}

void TZLBArchive::extractToStream(std::string_view name, Stream& target) {
    const int i = indexOf(name);
    if (i < 0) {
        fail(kEntryNotFound, name);
    }
    extractImpl(entries_[static_cast<std::size_t>(i)], target);
}

std::unique_ptr<EntryReader> TZLBArchive::openEntry(std::string_view name) {
    const int i = indexOf(name);
    if (i < 0) {
        fail(kEntryNotFound, name);
    }
    return std::make_unique<EntryReader>(fileName_, entries_[static_cast<std::size_t>(i)],
                                         VerifyFileCRC);
}

void TZLBArchive::extractImpl(const ArchiveEntry& entry, Stream& target) {
    // A target that starts empty ends up holding exactly the entry, so the reader's CRC of
    // the entry is the CRC of the whole stream; otherwise the stream's is compared after.
    const bool fresh = target.size() == 0 && target.position() == 0;
    EntryReader in(fileName_, entry, VerifyFileCRC && fresh);
    std::vector<unsigned char> buf(
        static_cast<std::size_t>(std::min<std::int64_t>(in.size(), std::int64_t(kBlock))));
    while (const std::size_t n = in.read(buf.data(), buf.size())) {
        target.write(buf.data(), n);
    }
    if (VerifyFileCRC && !fresh && streamCrc(target) != entry.crc) {
        fail(kCrcFailed, entry.name);
    }
}

void TZLBArchive::extractToDirectory(std::string_view name, const std::string& directory) {
    const int i = indexOf(name);
    if (i < 0) {
        fail(kEntryNotFound, name);
    }
    extractToDirectoryImpl(entries_[static_cast<std::size_t>(i)], directory);
}

void TZLBArchive::extractToDirectory(int position, const std::string& directory) {
    requireOpen();
    if (position < 0 || position >= static_cast<int>(entries_.size())) {
        fail(kIndexOutOfBounds);
    }
    extractToDirectoryImpl(entries_[static_cast<std::size_t>(position)], directory);
}

// Names come from the file and are not trusted: the file must land inside the directory.
void TZLBArchive::extractToDirectoryImpl(const ArchiveEntry& entry, const std::string& directory) {
    const std::string dir = normalizeDirectory(directory);
    if (!isPlainComponent(entry.name)) {
        fail(kExtractTo, path::join(dir, entry.name));
    }
    if (!makeDirectories(dir)) {
        fail(kExtractTo, dir);
    }
    const std::string target = path::join(dir, entry.name);
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        fail(kExtractTo, target);
    }
    // Written beside the target and moved over it: a failure leaves any old file intact and
    // a symbolic link in the target's place is replaced, never written through.
    std::unique_ptr<AtomicFile> out;
    try {
        out = std::make_unique<AtomicFile>(target, AtomicFile::Links::Replace);
    } catch (const Error&) {
        fail(kExtractTo, dir);
    }
    extractImpl(entry, out->stream());
    try {
        out->commit();
    } catch (const Error&) {
        fail(kExtractTo, target);
    }
}

void TZLBArchive::addStream(std::string_view name, Stream& source) {
    addImpl(std::string(name), source);
}

void TZLBArchive::addFile(const std::string& filePath) {
    requireOpen();
    const std::string name = cutName(path::fileName(filePath));
    if (findEntry(entries_, foldKey({}, name)) >= 0) {
        fail(kAlreadyExists, name);
    }
    FileStream source(filePath, FileStream::Mode::Read);
    addImpl(name, source);
}

void TZLBArchive::addImpl(const std::string& name, Stream& source) {
    requireOpen();
    ArchiveEntry entry;
    entry.name = cutName(name);
    if (findEntry(entries_, entry.key()) >= 0) {
        fail(kAlreadyExists, entry.name);
    }
    ArchiveWriter out(fileName_, CompressionLevel);
    if (!newArchive_) {
        out.copyFrom(*openForReading(fileName_), 0, trailer_.directoryOffset);
    }
    out.storeEntry(entry, source);
    std::vector<ArchiveEntry> entries = entries_;
    entries.push_back(std::move(entry));
    ArchiveTrailer trailer = out.finish(entries);
    out.commit();
    adopt(trailer, std::move(entries));
}

void TZLBArchive::replaceFromStream(std::string_view name, Stream& source) {
    const int i = indexOf(name);
    if (i < 0) {
        fail(kEntryNotFound, name);
    }
    replaceImpl(i, source);
}

void TZLBArchive::replaceFromFile(const std::string& filePath, int position) {
    requireOpen();
    const std::string name = cutName(path::fileName(filePath));
    if (position < 0 || findEntry(entries_, foldKey({}, name)) != position) {
        fail(kEntryNotFound, name);
    }
    FileStream source(filePath, FileStream::Mode::Read);
    replaceImpl(position, source);
}

void TZLBArchive::replaceImpl(int position, Stream& source) {
    const auto at = static_cast<std::size_t>(position);
    ArchiveWriter out(fileName_, CompressionLevel);
    const auto file = openForReading(fileName_);
    out.copyFrom(*file, 0, entries_[at].offset);
    std::vector<ArchiveEntry> entries = entries_;
    out.storeEntry(entries[at], source);
    for (std::size_t k = at + 1; k < entries.size(); ++k) {
        entries[k].offset = static_cast<std::uint32_t>(out.size());
        out.copyFrom(*file, entries_[k].offset, entries_[k].storedSize);
    }
    ArchiveTrailer trailer = out.finish(entries);
    out.commit();
    adopt(trailer, std::move(entries));
}

void TZLBArchive::deleteEntry(std::string_view name) {
    requireOpen();
    std::vector<ArchiveEntry> entries = entries_;
    if (const int i = findEntry(entries, foldKey({}, cutName(name))); i >= 0) {
        entries.erase(entries.begin() + i);
    }
    std::unique_ptr<ArchiveWriter> out;
    try {
        out = std::make_unique<ArchiveWriter>(fileName_, CompressionLevel);
        // A new archive has no file yet: it is written with what it holds.
        if (!newArchive_) {
            const auto file = openForReading(fileName_);
            for (ArchiveEntry& e : entries) {
                const std::int64_t from = e.offset;
                e.offset = static_cast<std::uint32_t>(out->size());
                out->copyFrom(*file, from, e.storedSize);
            }
        }
    } catch (const std::exception&) {
        fail(kUnableToOpen, fileName_);
    }
    ArchiveTrailer trailer = out->finish(entries);
    out->commit();
    adopt(trailer, std::move(entries));
}

void TZLBArchive::adopt(ArchiveTrailer trailer, std::vector<ArchiveEntry> entries) {
    trailer_ = trailer;
    entries_ = std::move(entries);
    newArchive_ = false;
}

std::optional<std::string> extractIfPresent(TZLBArchive& archive, std::string_view name) {
    if (archive.indexOf(name) < 0) {
        return std::nullopt;
    }
    // The entry CRC check covers the whole stream, so it must start empty.
    MemoryStream bytes;
    archive.extractToStream(name, bytes);
    return bytes.takeBytes();
}

}  // namespace tarnu
