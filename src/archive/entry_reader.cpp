#include "archive/entry_reader.h"

#include <algorithm>
#include <vector>

#include "archive/crc32.h"
#include "archive/zlib_stream.h"
#include "common/error.h"

namespace tarnu {

using namespace archive_messages;
using archive_format::fail;

namespace {

// The inflater's input buffer: an entry's stored bytes are read in pieces of this size.
constexpr std::size_t kInputBlock = 64 * 1024;

}  // namespace

EntryReader::EntryReader(const std::string& archiveName, const ArchiveEntry& entry, bool verifyCrc)
    : entry_(entry), verifyCrc_(verifyCrc) {
    try {
        file_ = std::make_unique<FileStream>(archiveName, FileStream::Mode::Read);
    } catch (const Error&) {
        fail(kUnableToOpen, archiveName);
    }
    if (!entry_.storedAsIs) {
        inflater_ =
            std::make_unique<RangeInflater>(*file_, entry_.offset, entry_.storedSize, kInputBlock);
    }
}

EntryReader::~EntryReader() = default;

std::size_t EntryReader::read(void* buffer, std::size_t n) {
    n = static_cast<std::size_t>(std::min<std::int64_t>(size() - position_, std::int64_t(n)));
    if (n == 0) {
        return 0;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    const bool ok =
        inflater_ ? inflater_->read(out, n) : file_->readAt(entry_.offset + position_, out, n) == n;
    if (!ok) {
        fail(kCorrupted);
    }
    if (verifyCrc_) {
        crc_ = crc32Update(crc_, out, n);
    }
    position_ += static_cast<std::int64_t>(n);
    if (verifyCrc_ && position_ == size() && crc_ != entry_.crc) {
        fail(kCrcFailed, entry_.name);
    }
    return n;
}

void EntryReader::write(const void*, std::size_t) {
    throw Error("Stream write error");
}

void EntryReader::seek(std::int64_t position) {
    if (position < position_) {
        throw Error("Stream seek error");
    }
    std::vector<unsigned char> scratch(kInputBlock);
    while (position_ < position) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(position - position_, std::int64_t(scratch.size())));
        if (read(scratch.data(), n) == 0) {
            break;  // past the end
        }
    }
}

void EntryReader::resize(std::int64_t) {
    throw Error("Stream write error");
}

void EntryReader::finish() {
    seek(size());
}

}  // namespace tarnu
