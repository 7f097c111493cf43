#include "archive/zlb_archive.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "archive/crc32.h"
#include "common/bytes.h"
#include "common/error.h"
#include "common/path.h"

namespace tarnu {

using namespace archive_messages;

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

constexpr std::size_t kMaxName = 255;
constexpr std::size_t kMinBlock = std::size_t{64} << 10;
constexpr std::size_t kMaxBlock = std::size_t{1} << 20;
// Inflating expands deflate data at most about 1032 times; a size claiming more is damage.
constexpr std::int64_t kMaxInflateRatio = 1032;
// Offsets are 32-bit in the file and sizes signed 32-bit.
constexpr std::int64_t kMaxFileSize = std::numeric_limits<std::uint32_t>::max();
constexpr std::int64_t kMaxEntrySize = std::numeric_limits<std::int32_t>::max();
constexpr const char* kTooLarge = "%s is too large for the data-file";

[[noreturn]] void fail(std::string_view pattern, std::string_view arg = {}) {
    throw Error(formatMessage(pattern, arg));
}

// Runs the body of a public operation and hands the text of any error to the log event.
template <class F>
decltype(auto) logErrors(const std::function<void(const std::string&)>& log, F&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        if (log) {
            log(e.what());
        }
        throw;
    }
}

int zlibLevel(TCompressionLevel level) {
    switch (level) {
        case TCompressionLevel::fcNone:
            return 0;
        case TCompressionLevel::fcFastest:
            return 1;
        case TCompressionLevel::fcDefault:
            return Z_DEFAULT_COMPRESSION;
        case TCompressionLevel::fcMaximum:
            return 9;
    }
    return Z_DEFAULT_COMPRESSION;
}

std::string cutName(std::string_view s) {
    return std::string(s.substr(0, kMaxName));
}

// Only A-Z fold: other bytes, including non-ASCII letters, compare exactly.
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

void putShortString(unsigned char* at, std::string_view s) {
    at[0] = static_cast<unsigned char>(s.size());
    std::memcpy(at + 1, s.data(), s.size());
}

std::string getShortString(const unsigned char* at) {
    return std::string(reinterpret_cast<const char*>(at + 1), at[0]);
}

void encodeRecord(const ArchiveEntry& e, unsigned char* rec) {
    std::memset(rec, 0, kRecordSize);
    putShortString(rec + kRecName, e.name);
    putShortString(rec + kRecFolder, e.folder);
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

mode_t defaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes go to the file a symbolic link points at, not over the link itself.
std::string resolveTarget(const std::string& fileName) {
    struct stat st {};
    if (::lstat(fileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(fileName.c_str(), nullptr)) {
            std::string out(real);
            std::free(real);
            return out;
        }
    }
    return fileName;
}

std::string directoryOf(const std::string& file) {
    std::string dir(path::directory(file));
    return dir.empty() ? std::string(".") : dir;
}

void syncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Removes a temporary file when the work that made it does not complete.
class TempFileGuard {
public:
    explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
    ~TempFileGuard() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    void release() { path_.clear(); }

private:
    std::string path_;
};

// Inflates the zlib stream stored in a byte range of a file, on demand.
class RangeInflater {
public:
    RangeInflater(const FileStream& file, std::int64_t offset, std::int64_t length,
                  std::size_t block)
        : file_(file),
          pos_(offset),
          left_(length),
          in_(static_cast<std::size_t>(std::min<std::int64_t>(length, std::int64_t(block)))) {
        if (inflateInit(&z_) != Z_OK) {
            throw std::bad_alloc();
        }
    }
    ~RangeInflater() { inflateEnd(&z_); }
    RangeInflater(const RangeInflater&) = delete;
    RangeInflater& operator=(const RangeInflater&) = delete;

    // Fills exactly n bytes; false when the stream is damaged or ends early.
    bool read(unsigned char* out, std::size_t n) {
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(n);
        while (z_.avail_out > 0) {
            if (ended_) {
                return false;
            }
            if (z_.avail_in == 0) {
                if (left_ == 0) {
                    return false;
                }
                const auto want = static_cast<std::size_t>(
                    std::min<std::int64_t>(left_, std::int64_t(in_.size())));
                if (file_.readAt(pos_, in_.data(), want) != want) {
                    return false;
                }
                pos_ += static_cast<std::int64_t>(want);
                left_ -= static_cast<std::int64_t>(want);
                z_.next_in = in_.data();
                z_.avail_in = static_cast<uInt>(want);
            }
            const int ret = inflate(&z_, Z_NO_FLUSH);
            if (ret == Z_STREAM_END) {
                ended_ = true;
            } else if (ret != Z_OK) {
                return false;
            }
        }
        return true;
    }

private:
    const FileStream& file_;
    std::int64_t pos_;
    std::int64_t left_;
    std::vector<unsigned char> in_;
    z_stream z_{};
    bool ended_ = false;
};

class Deflater {
public:
    explicit Deflater(int level) {
        if (deflateInit(&z, level) != Z_OK) {
            throw std::bad_alloc();
        }
    }
    ~Deflater() { deflateEnd(&z); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    z_stream z{};
};

// The records deflated as one zlib stream; false when compression fails.
bool compressDirectory(const std::vector<unsigned char>& records, int level,
                       std::vector<unsigned char>& out) {
    z_stream z{};
    if (deflateInit(&z, level) != Z_OK) {
        return false;
    }
    out.resize(deflateBound(&z, static_cast<uLong>(records.size())));
    z.next_in = const_cast<Bytef*>(records.data());
    z.avail_in = static_cast<uInt>(records.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int ret = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return ret == Z_STREAM_END;
}

// Structural limits of the trailer against the file it came from.
void checkTrailer(const ArchiveTrailer& t, std::int64_t body) {
    if (t.count < 0 || t.directoryOffset > body) {
        fail(kCorrupted);
    }
    const std::int64_t room = body - t.directoryOffset;
    const std::int64_t records = std::int64_t{t.count} * kRecordSize;
    if (t.directoryCompressed) {
        if (t.directorySize < 0 || t.directorySize > room ||
            records > std::int64_t{t.directorySize} * kMaxInflateRatio) {
            fail(kCorrupted);
        }
    } else if (records > room) {
        fail(kCorrupted);
    }
}

// Entries must lie in the data region, in directory order, with sizes their bytes can hold.
void checkEntries(const std::vector<ArchiveEntry>& entries, std::int64_t dataEnd) {
    std::int64_t end = 0;
    for (const ArchiveEntry& e : entries) {
        const std::int64_t stored = e.storedSize;
        const std::int64_t size = e.uncompressedSize;
        if (stored < 0 || size < 0 || e.offset < end || e.offset + stored > dataEnd) {
            fail(kCorrupted);
        }
        if (e.storedAsIs ? size != stored : size > stored * kMaxInflateRatio) {
            fail(kCorrupted);
        }
        end = e.offset + stored;
    }
}

std::vector<ArchiveEntry> readDirectory(const FileStream& file, const ArchiveTrailer& t,
                                        std::size_t block) {
    constexpr std::int64_t kChunk = 128 * kRecordSize;
    const std::int64_t total = std::int64_t{t.count} * kRecordSize;
    std::vector<unsigned char> records(static_cast<std::size_t>(std::min(total, kChunk)));
    std::unique_ptr<RangeInflater> inflater;
    if (t.directoryCompressed) {
        inflater = std::make_unique<RangeInflater>(file, t.directoryOffset, t.directorySize, block);
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
            entries.push_back(decodeRecord(records.data() + at));
        }
        done += static_cast<std::int64_t>(n);
    }
    return entries;
}

std::uint32_t streamCrc(Stream& s, std::size_t block) {
    const std::int64_t keep = s.position();
    s.seek(0);
    std::vector<unsigned char> buf(block);
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

std::string ArchiveEntry::key() const {
    return foldKey(folder, name);
}

// A new archive file under construction beside the old one: tracks the CRC of everything
// written so that the trailer needs no second pass, and removes itself unless committed.
class TZLBArchive::Rewrite {
public:
    explicit Rewrite(TZLBArchive& owner)
        : owner_(owner),
          target_(resolveTarget(owner.fileName_)),
          in_(owner.blockSize()),
          out_(owner.blockSize()),
          temp_(owner.makeTempFileName(directoryOf(target_))),
          guard_(temp_) {
        file_ = std::make_unique<FileStream>(temp_, FileStream::Mode::ReadWrite);
    }

    std::int64_t size() const { return size_; }

    void write(const void* data, std::size_t n) {
        if (size_ + static_cast<std::int64_t>(n) > kMaxFileSize) {
            fail(kTooLarge, owner_.fileName_);
        }
        file_->write(data, n);
        crc_ = crc32Update(crc_, data, n);
        size_ += static_cast<std::int64_t>(n);
    }

    void copyFrom(const FileStream& source, std::int64_t offset, std::int64_t length) {
        while (length > 0) {
            const auto n =
                static_cast<std::size_t>(std::min<std::int64_t>(length, std::int64_t(in_.size())));
            readArchive(source, offset, in_.data(), n);
            write(in_.data(), n);
            offset += static_cast<std::int64_t>(n);
            length -= static_cast<std::int64_t>(n);
        }
    }

    // Appends the whole source, compressed when that comes out smaller, and fills in the
    // entry's offset, sizes, CRC, storage flag and level.
    void storeEntry(ArchiveEntry& entry, Stream& source) {
        const std::int64_t expected = source.size();
        if (expected > kMaxEntrySize) {
            fail(kTooLarge, entry.name);
        }
        entry.offset = static_cast<std::uint32_t>(size_);
        const std::int64_t markSize = size_;
        const std::uint32_t markCrc = crc_;
        if (expected > 0 && deflateEntry(entry, source, expected)) {
            return;
        }
        file_->resize(markSize);
        file_->seek(markSize);
        size_ = markSize;
        crc_ = markCrc;
        copyRaw(entry, source, expected);
    }

    ArchiveTrailer finish(const std::vector<ArchiveEntry>& entries) {
        owner_.progress("Writing data file registry", {}, 0);
        ArchiveTrailer t;
        t.count = static_cast<std::int32_t>(entries.size());
        t.version = kArchiveVersion;
        t.directoryOffset = static_cast<std::uint32_t>(size_);
        std::vector<unsigned char> records(entries.size() * kRecordSize);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            encodeRecord(entries[i], records.data() + i * kRecordSize);
        }
        std::vector<unsigned char> packed;
        if (compressDirectory(records, zlibLevel(owner_.CompressionLevel), packed)) {
            write(packed.data(), packed.size());
            t.directorySize = static_cast<std::int32_t>(packed.size());
            t.directoryCompressed = true;
        } else {
            write(records.data(), records.size());
        }
        t.crc = crc_;
        unsigned char trailer[kTrailerSize];
        encodeTrailer(t, trailer);
        write(trailer, sizeof trailer);
        return t;
    }

    // Flushes the new file to the disk and moves it over the archive in one step.
    void commit() {
        owner_.progress("Moving and renaming the temporary file", {}, 100);
        file_->sync();
        struct stat st {};
        const mode_t mode =
            ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 0777) : defaultFileMode();
        if (::fchmod(file_->fd(), mode) != 0) {
            fail(kUnableToOpen, owner_.fileName_);
        }
        file_.reset();
        if (::rename(temp_.c_str(), target_.c_str()) != 0) {
            fail(kUnableToOpen, owner_.fileName_);
        }
        guard_.release();
        syncDirectory(directoryOf(target_));
    }

private:
    // Deflates the source onto the file while taking its CRC; false as soon as the output
    // reaches the uncompressed size, since the entry is then stored as is.
    bool deflateEntry(ArchiveEntry& entry, Stream& source, std::int64_t expected) {
        Deflater d(zlibLevel(owner_.CompressionLevel));
        z_stream& z = d.z;
        source.seek(0);
        std::uint32_t crc = 0;
        std::int64_t total = 0;
        z.next_out = out_.data();
        z.avail_out = static_cast<uInt>(out_.size());
        for (bool finishing = false; !finishing;) {
            const auto want =
                static_cast<std::size_t>(std::min<std::int64_t>(expected - total, in_.size()));
            const std::size_t n = want > 0 ? source.read(in_.data(), want) : 0;
            crc = crc32Update(crc, in_.data(), n);
            total += static_cast<std::int64_t>(n);
            finishing = n == 0;
            z.next_in = in_.data();
            z.avail_in = static_cast<uInt>(n);
            for (;;) {
                const int ret = deflate(&z, finishing ? Z_FINISH : Z_NO_FLUSH);
                if (ret == Z_STREAM_ERROR) {
                    throw std::bad_alloc();
                }
                if (static_cast<std::int64_t>(z.total_out) >= expected) {
                    return false;
                }
                if (z.avail_out == 0) {
                    write(out_.data(), out_.size());
                    z.next_out = out_.data();
                    z.avail_out = static_cast<uInt>(out_.size());
                    continue;
                }
                if (finishing ? ret == Z_STREAM_END : z.avail_in == 0) {
                    break;
                }
            }
            owner_.progress("Updating %s", entry.name, static_cast<int>(total * 100 / expected));
        }
        write(out_.data(), out_.size() - z.avail_out);
        if (static_cast<std::int64_t>(z.total_out) >= total) {
            return false;  // the source ended early
        }
        entry.uncompressedSize = static_cast<std::int32_t>(total);
        entry.storedSize = static_cast<std::int32_t>(z.total_out);
        entry.crc = crc;
        entry.storedAsIs = false;
        entry.level = static_cast<std::uint8_t>(owner_.CompressionLevel);
        return true;
    }

    void copyRaw(ArchiveEntry& entry, Stream& source, std::int64_t expected) {
        source.seek(0);
        std::uint32_t crc = 0;
        std::int64_t total = 0;
        while (total < expected) {
            const auto want =
                static_cast<std::size_t>(std::min<std::int64_t>(expected - total, in_.size()));
            const std::size_t n = source.read(in_.data(), want);
            if (n == 0) {
                break;
            }
            crc = crc32Update(crc, in_.data(), n);
            write(in_.data(), n);
            total += static_cast<std::int64_t>(n);
            owner_.progress("Updating %s", entry.name, static_cast<int>(total * 100 / expected));
        }
        entry.uncompressedSize = static_cast<std::int32_t>(total);
        entry.storedSize = static_cast<std::int32_t>(total);
        entry.crc = crc;
        entry.storedAsIs = true;
        entry.level = 0;
    }

    TZLBArchive& owner_;
    std::string target_;
    std::vector<unsigned char> in_;
    std::vector<unsigned char> out_;
    std::string temp_;
    TempFileGuard guard_;
    std::unique_ptr<FileStream> file_;
    std::int64_t size_ = 0;
    std::uint32_t crc_ = 0;
};

TZLBArchive::TZLBArchive() = default;

TZLBArchive::~TZLBArchive() = default;

void TZLBArchive::requireOpen() const {
    if (!isOpen()) {
        fail(kNotOpen);
    }
}

// The I/O block: MaxMemoryUsage megabytes, within what keeps system calls few and caches warm.
std::size_t TZLBArchive::blockSize() const {
    const std::int64_t wanted = std::int64_t{std::max(MaxMemoryUsage, 0)} << 20;
    return static_cast<std::size_t>(
        std::clamp<std::int64_t>(wanted, std::int64_t(kMinBlock), std::int64_t(kMaxBlock)));
}

void TZLBArchive::progress(std::string_view text, std::string_view arg, int percent) const {
    if (OnProgress) {
        OnProgress(formatMessage(text, arg), percent);
    }
}

const std::vector<ArchiveEntry>& TZLBArchive::entries() const {
    return logErrors(OnErrorLogged, [&]() -> const std::vector<ArchiveEntry>& {
        requireOpen();
        return entries_;
    });
}

void TZLBArchive::open(const std::string& fileName) {
    logErrors(OnErrorLogged, [&] { openImpl(fileName); });
}

void TZLBArchive::openImpl(const std::string& fileName) {
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
    const ArchiveTrailer trailer = decodeTrailer(raw);
    if (trailer.version != kArchiveVersion) {
        fail(kVersion);
    }
    if (VerifyArchiveCRC) {
        progress("Verifying data-file integrity", {}, 0);
        ::posix_fadvise(file->fd(), 0, body, POSIX_FADV_SEQUENTIAL);
        std::vector<unsigned char> buf(
            static_cast<std::size_t>(std::min<std::int64_t>(body, std::int64_t(blockSize()))));
        std::uint32_t crc = 0;
        for (std::int64_t at = 0; at < body;) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(body - at, std::int64_t(buf.size())));
            readArchive(*file, at, buf.data(), n);
            crc = crc32Update(crc, buf.data(), n);
            at += static_cast<std::int64_t>(n);
            progress("Verifying data-file integrity", {}, static_cast<int>(at * 100 / body));
        }
        if (crc != trailer.crc) {
            fail(kCorrupted);
        }
    }
    checkTrailer(trailer, body);
    std::vector<ArchiveEntry> entries = readDirectory(*file, trailer, blockSize());
    checkEntries(entries, trailer.directoryOffset);

    fileName_ = fileName;
    newArchive_ = false;
    trailer_ = trailer;
    entries_ = std::move(entries);
    if (OnArchiveOpened) {
        OnArchiveOpened();
    }
}

void TZLBArchive::close() noexcept {
    fileName_.clear();
    newArchive_ = false;
    trailer_ = {};
    entries_.clear();
}

void TZLBArchive::create(const std::string& fileName) {
    logErrors(OnErrorLogged, [&] {
        close();
        struct stat st {};
        if (::lstat(fileName.c_str(), &st) == 0) {
            fail(kAlreadyExists, fileName);
        }
        fileName_ = fileName;
        newArchive_ = true;
        trailer_.version = kArchiveVersion;
    });
}

int TZLBArchive::indexOf(std::string_view name) const {
    return logErrors(OnErrorLogged, [&] {
        requireOpen();
        return findEntry(entries_, foldKey({}, cutName(name)));
    });
}

int TZLBArchive::entryCount() const {
    return logErrors(OnErrorLogged, [&] {
        requireOpen();
        return static_cast<int>(entries_.size());
    });
}

void TZLBArchive::extractToStream(std::string_view name, Stream& target) {
    logErrors(OnErrorLogged, [&] {
        requireOpen();
        const int i = findEntry(entries_, foldKey({}, cutName(name)));
        if (i < 0) {
            fail(kEntryNotFound, name);
        }
        extractImpl(entries_[static_cast<std::size_t>(i)], target);
        if (OnStreamExtracted) {
            OnStreamExtracted(entries_[static_cast<std::size_t>(i)].name);
        }
    });
}

void TZLBArchive::extractImpl(const ArchiveEntry& entry, Stream& target) {
    const auto file = openForReading(fileName_);
    progress("Extracting %s", entry.name, 0);
    // A target that starts empty ends up holding exactly the entry, so the CRC of what is
    // written is the CRC of the whole stream.
    const bool fresh = target.size() == 0 && target.position() == 0;
    const bool runningCrc = VerifyFileCRC && fresh;
    const std::size_t block = blockSize();
    const std::int64_t total = entry.uncompressedSize;
    std::vector<unsigned char> buf(static_cast<std::size_t>(std::min<std::int64_t>(total, block)));
    std::unique_ptr<RangeInflater> inflater;
    if (!entry.storedAsIs) {
        inflater = std::make_unique<RangeInflater>(*file, entry.offset, entry.storedSize, block);
    }
    std::uint32_t crc = 0;
    for (std::int64_t done = 0; done < total;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(total - done, block));
        if (inflater) {
            if (!inflater->read(buf.data(), n)) {
                fail(kCorrupted);
            }
        } else {
            readArchive(*file, entry.offset + done, buf.data(), n);
        }
        target.write(buf.data(), n);
        if (runningCrc) {
            crc = crc32Update(crc, buf.data(), n);
        }
        done += static_cast<std::int64_t>(n);
        progress("Extracting %s", entry.name, static_cast<int>(done * 100 / total));
    }
    if (VerifyFileCRC) {
        if (!fresh) {
            crc = streamCrc(target, block);
        }
        if (crc != entry.crc) {
            fail(kCrcFailed, entry.name);
        }
    }
}

void TZLBArchive::extractToDirectory(std::string_view name, const std::string& directory) {
    logErrors(OnErrorLogged, [&] {
        requireOpen();
        const int i = findEntry(entries_, foldKey({}, cutName(name)));
        if (i < 0) {
            fail(kEntryNotFound, name);
        }
        extractToDirectoryImpl(entries_[static_cast<std::size_t>(i)], directory);
    });
}

void TZLBArchive::extractToDirectory(int position, const std::string& directory) {
    logErrors(OnErrorLogged, [&] {
        requireOpen();
        if (position < 0 || position >= static_cast<int>(entries_.size())) {
            fail(kIndexOutOfBounds);
        }
        extractToDirectoryImpl(entries_[static_cast<std::size_t>(position)], directory);
    });
}

// Names come from the file and are not trusted: every part must stay inside the directory.
// The folder is always taken below the directory, even when it starts with a separator.
void TZLBArchive::extractToDirectoryImpl(const ArchiveEntry& entry, const std::string& directory) {
    const std::string base = normalizeDirectory(directory);
    std::string dir = base;
    if (ExtractWithPath) {
        std::string_view rest = entry.folder;
        while (!rest.empty()) {
            const auto cut = rest.find(path::kSeparator);
            const std::string_view part = rest.substr(0, cut);
            rest = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
            if (part.empty() || part == ".") {
                continue;
            }
            if (!isPlainComponent(part)) {
                fail(kExtractTo, path::join(base, entry.folder + entry.name));
            }
            dir = path::join(dir, part);
        }
    }
    if (!isPlainComponent(entry.name)) {
        fail(kExtractTo, path::join(dir, entry.name));
    }
    if (!makeDirectories(dir)) {
        fail(kExtractTo, dir);
    }
    const std::string target = path::join(dir, entry.name);
    struct stat st {};
    const bool exists = ::lstat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        fail(kExtractTo, target);
    }
    if (exists && OnReplaceFile) {
        OnReplaceFile(target);
    }
    // Written beside the target and moved over it: a failure leaves any old file intact and
    // a symbolic link in the target's place is replaced, never written through.
    std::string temp;
    try {
        temp = makeTempFileName(dir);
    } catch (const Error&) {
        fail(kExtractTo, dir);
    }
    TempFileGuard guard(temp);
    {
        FileStream out(temp, FileStream::Mode::ReadWrite);
        extractImpl(entry, out);
        const mode_t mode = exists && S_ISREG(st.st_mode) ? (st.st_mode & 0777) : defaultFileMode();
        if (::fchmod(out.fd(), mode) != 0) {
            fail(kExtractTo, target);
        }
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        fail(kExtractTo, target);
    }
    guard.release();
    if (OnFileExtracted) {
        OnFileExtracted(entry.name, target);
    }
}

void TZLBArchive::addStream(std::string_view name, Stream& source) {
    logErrors(OnErrorLogged, [&] { addImpl(std::string(name), {}, source); });
}

void TZLBArchive::addFile(const std::string& filePath) {
    logErrors(OnErrorLogged, [&] { addFileImpl(filePath); });
}

void TZLBArchive::addFileImpl(const std::string& filePath) {
    requireOpen();
    const std::string name = cutName(path::fileName(filePath));
    const std::string folder = SavePaths ? cutName(path::directory(filePath)) : std::string();
    if (findEntry(entries_, foldKey(folder, name)) >= 0) {
        fail(kAlreadyExists, name);
    }
    FileStream source(filePath, FileStream::Mode::Read);
    addImpl(name, folder, source);
}

void TZLBArchive::addImpl(std::string name, std::string folder, Stream& source) {
    requireOpen();
    ArchiveEntry entry;
    entry.name = cutName(name);
    entry.folder = cutName(folder);
    if (findEntry(entries_, entry.key()) >= 0) {
        fail(kAlreadyExists, entry.name);
    }
    progress("Updating %s", entry.name, 0);
    Rewrite out(*this);
    if (!newArchive_) {
        out.copyFrom(*openForReading(fileName_), 0, trailer_.directoryOffset);
    }
    out.storeEntry(entry, source);
    std::vector<ArchiveEntry> entries = entries_;
    entries.push_back(std::move(entry));
    if (OnFileAddUpdate) {
        OnFileAddUpdate(entries.back());
    }
    ArchiveTrailer trailer = out.finish(entries);
    out.commit();
    adopt(trailer, std::move(entries));
}

void TZLBArchive::replaceFromStream(std::string_view name, Stream& source) {
    logErrors(OnErrorLogged, [&] {
        requireOpen();
        const int i = findEntry(entries_, foldKey({}, cutName(name)));
        if (i < 0) {
            fail(kEntryNotFound, name);
        }
        replaceImpl(i, source);
    });
}

void TZLBArchive::replaceFromFile(const std::string& filePath, int position) {
    logErrors(OnErrorLogged, [&] {
        requireOpen();
        const std::string name = cutName(path::fileName(filePath));
        const std::string folder = SavePaths ? cutName(path::directory(filePath)) : std::string();
        if (position < 0 || findEntry(entries_, foldKey(folder, name)) != position) {
            fail(kEntryNotFound, name);
        }
        FileStream source(filePath, FileStream::Mode::Read);
        replaceImpl(position, source);
    });
}

void TZLBArchive::replaceImpl(int position, Stream& source) {
    const auto at = static_cast<std::size_t>(position);
    progress("Updating %s", entries_[at].name, 0);
    Rewrite out(*this);
    const auto file = openForReading(fileName_);
    out.copyFrom(*file, 0, entries_[at].offset);
    std::vector<ArchiveEntry> entries = entries_;
    out.storeEntry(entries[at], source);
    if (OnFileAddUpdate) {
        OnFileAddUpdate(entries[at]);
    }
    for (std::size_t k = at + 1; k < entries.size(); ++k) {
        entries[k].offset = static_cast<std::uint32_t>(out.size());
        out.copyFrom(*file, entries_[k].offset, entries_[k].storedSize);
    }
    ArchiveTrailer trailer = out.finish(entries);
    out.commit();
    adopt(trailer, std::move(entries));
}

void TZLBArchive::deleteEntry(std::string_view name) {
    logErrors(OnErrorLogged, [&] {
        requireOpen();
        std::vector<ArchiveEntry> entries = entries_;
        if (const int i = findEntry(entries, foldKey({}, cutName(name))); i >= 0) {
            entries.erase(entries.begin() + i);
        }
        std::unique_ptr<Rewrite> out;
        try {
            out = std::make_unique<Rewrite>(*this);
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
    });
}

void TZLBArchive::adopt(ArchiveTrailer trailer, std::vector<ArchiveEntry> entries) {
    trailer_ = trailer;
    entries_ = std::move(entries);
    newArchive_ = false;
    if (OnArchiveOpened) {
        OnArchiveOpened();
    }
}

std::string TZLBArchive::makeTempFileName(const std::string& directory) {
    std::string pattern = path::join(directory, "ZLBXXXXXX");
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        fail(kUnableToOpen, fileName_);
    }
    ::close(fd);
    return pattern;
}

void TZLBArchive::addDirectory(const std::string& directory) {
    logErrors(OnErrorLogged, [&] {
        requireOpen();
        addDirectoryImpl(directory);
    });
}

void TZLBArchive::addDirectoryImpl(const std::string& directory) {
    std::vector<std::string> names;
    {
        DIR* dir = ::opendir(directory.c_str());
        if (dir == nullptr) {
            throw Error(directory + ": " + std::strerror(errno));
        }
        while (const dirent* d = ::readdir(dir)) {
            const std::string_view name = d->d_name;
            if (name != "." && name != "..") {
                names.emplace_back(name);
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string full = path::join(directory, name);
        struct stat st {};
        if (::stat(full.c_str(), &st) != 0) {
            continue;
        }
        if (S_ISREG(st.st_mode)) {
            addFileImpl(full);
        } else if (S_ISDIR(st.st_mode) && RecursePaths && ::lstat(full.c_str(), &st) == 0 &&
                   S_ISDIR(st.st_mode)) {
            addDirectoryImpl(full);
        }
    }
}

}  // namespace tarnu
