#include "archive/archive_writer.h"

#include <algorithm>
#include <limits>
#include <new>

#include "archive/crc32.h"
#include "archive/zlib_stream.h"
#include "common/error.h"

namespace tarnu {

using namespace archive_messages;
using archive_format::fail;
using archive_format::kBlock;

namespace {

// Offsets are 32-bit in the file and sizes signed 32-bit.
constexpr std::int64_t kMaxFileSize = std::numeric_limits<std::uint32_t>::max();
constexpr std::int64_t kMaxEntrySize = std::numeric_limits<std::int32_t>::max();

}  // namespace

ArchiveWriter::ArchiveWriter(const std::string& fileName, TCompressionLevel level,
                             AtomicFile::Links links, std::optional<DeflateEngine> engine)
    : fileName_(fileName),
      level_(level),
      engine_(engine.value_or(preferredEngine(level))),
      in_(kBlock),
      out_(kBlock) {
    try {
        file_ = std::make_unique<AtomicFile>(fileName, links);
    } catch (const Error& e) {
        failNamed(e);
    }
}

ArchiveWriter::~ArchiveWriter() = default;

void ArchiveWriter::write(const void* data, std::size_t n) {
    if (size_ + static_cast<std::int64_t>(n) > kMaxFileSize) {
        fail(kTooLarge, fileName_);
    }
    file_->stream().write(data, n);
    crc_ = crc32Update(crc_, data, n);
    size_ += static_cast<std::int64_t>(n);
}

void ArchiveWriter::copyFrom(const FileStream& source, std::int64_t offset, std::int64_t length) {
    while (length > 0) {
        const auto n =
            static_cast<std::size_t>(std::min<std::int64_t>(length, std::int64_t(in_.size())));
        if (source.readAt(offset, in_.data(), n) != n) {
            fail(kCorrupted);  // the old archive was cut
        }
        write(in_.data(), n);
        offset += static_cast<std::int64_t>(n);
        length -= static_cast<std::int64_t>(n);
    }
}

void ArchiveWriter::storeEntry(ArchiveEntry& entry, Stream& source) {
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
    FileStream& file = file_->stream();
    file.resize(markSize);
    file.seek(markSize);
    size_ = markSize;
    crc_ = markCrc;
    copyRaw(entry, source, expected);
}

void ArchiveWriter::storeBytes(ArchiveEntry& entry, std::string_view bytes) {
    if (static_cast<std::int64_t>(bytes.size()) > kMaxEntrySize) {
        fail(kTooLarge, entry.name);
    }
    entry.offset = static_cast<std::uint32_t>(size_);
    entry.uncompressedSize = static_cast<std::int32_t>(bytes.size());
    entry.crc = crc32Of(bytes);
    const auto packed = deflateSmaller(bytes, engineLevel(level_, engine_), engine_);
    const std::string_view stored = packed ? std::string_view(*packed) : bytes;
    entry.storedSize = static_cast<std::int32_t>(stored.size());
    entry.storedAsIs = !packed;
    entry.level = packed ? static_cast<std::uint8_t>(level_) : 0;
    write(stored.data(), stored.size());
}

ArchiveTrailer ArchiveWriter::finish(const std::vector<ArchiveEntry>& entries) {
    ArchiveTrailer t;
    t.count = static_cast<std::int32_t>(entries.size());
    t.version = kArchiveVersion;
    t.directoryOffset = static_cast<std::uint32_t>(size_);
    const std::vector<unsigned char> records = archive_format::encodeRecords(entries);
    std::vector<unsigned char> packed;
    if (compressDirectory(records, zlibLevel(level_), packed)) {
        write(packed.data(), packed.size());
        t.directorySize = static_cast<std::int32_t>(packed.size());
        t.directoryCompressed = true;
    } else {
        write(records.data(), records.size());
    }
    t.crc = crc_;
    unsigned char trailer[kTrailerSize];
    archive_format::encodeTrailer(t, trailer);
    write(trailer, sizeof trailer);
    return t;
}

void ArchiveWriter::commit() {
    try {
        file_->commit();
    } catch (const Error& e) {
        failNamed(e);
    }
}

// "Unable to open data-file %s", with the system's reason when there is one.
void ArchiveWriter::failNamed(const Error& e) const {
    const std::string message = formatMessage(kUnableToOpen, fileName_);
    if (const auto* system = dynamic_cast<const SystemError*>(&e)) {
        throw SystemError(withDetail(message, systemReason(system->code())), system->code());
    }
    throw Error(message);
}

// Deflates the source onto the file while taking its CRC; false as soon as the output
// reaches the uncompressed size, since the entry is then stored as is.
bool ArchiveWriter::deflateEntry(ArchiveEntry& entry, Stream& source, std::int64_t expected) {
    Deflater d(zlibLevel(level_));
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
    }
    write(out_.data(), out_.size() - z.avail_out);
    if (static_cast<std::int64_t>(z.total_out) >= total) {
        return false;  // the source ended early
    }
    entry.uncompressedSize = static_cast<std::int32_t>(total);
    entry.storedSize = static_cast<std::int32_t>(z.total_out);
    entry.crc = crc;
    entry.storedAsIs = false;
    entry.level = static_cast<std::uint8_t>(level_);
    return true;
}

void ArchiveWriter::copyRaw(ArchiveEntry& entry, Stream& source, std::int64_t expected) {
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
    }
    entry.uncompressedSize = static_cast<std::int32_t>(total);
    entry.storedSize = static_cast<std::int32_t>(total);
    entry.crc = crc;
    entry.storedAsIs = true;
    entry.level = 0;
}

std::pair<ArchiveTrailer, std::vector<ArchiveEntry>> writeArchive(
    const std::string& path, const std::vector<ArchiveSource>& sources, TCompressionLevel level,
    std::optional<DeflateEngine> engine) {
    ArchiveWriter out(path, level, AtomicFile::Links::Follow, engine);
    std::vector<ArchiveEntry> entries;
    entries.reserve(sources.size());
    for (const ArchiveSource& source : sources) {
        ArchiveEntry& entry = entries.emplace_back();
        entry.name = archive_format::cutName(source.name);
        out.storeBytes(entry, source.bytes);
    }
    ArchiveTrailer trailer = out.finish(entries);
    out.commit();
    return {trailer, std::move(entries)};
}

}  // namespace tarnu
