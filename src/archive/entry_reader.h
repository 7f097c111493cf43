#pragma once

// One entry of an archive as a stream that inflates on demand: a reader holds a block of the
// entry at a time, never the whole of it.

#include <cstdint>
#include <memory>
#include <string>

#include "archive/archive_format.h"
#include "common/stream.h"

namespace tarnu {

class RangeInflater;

class EntryReader final : public Stream {
public:
    // Opens the archive file again for reading: "Unable to open data-file %s" on failure.
    // With verifyCrc, reaching the end compares the CRC of the whole entry.
    EntryReader(const std::string& archiveName, const ArchiveEntry& entry, bool verifyCrc);
    ~EntryReader() override;
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    // Damage raises "The data-file appears to be corrupted", a wrong CRC at the end
    // "%s failed CRC check".
    std::size_t read(void* buffer, std::size_t n) override;
    // Read-only: writing raises "Stream write error".
    void write(const void* buffer, std::size_t n) override;
    std::int64_t position() const override { return position_; }
    // Forward only, by reading; back raises "Stream seek error".
    void seek(std::int64_t position) override;
    std::int64_t size() const override { return entry_.uncompressedSize; }
    void resize(std::int64_t size) override;

    const ArchiveEntry& entry() const { return entry_; }
    // Reads what is left, so that the CRC covers the whole entry even when its user stopped
    // early; the bytes are dropped.
    void finish();

private:
    ArchiveEntry entry_;
    bool verifyCrc_;
    std::unique_ptr<FileStream> file_;
    std::unique_ptr<RangeInflater> inflater_;
    std::int64_t position_ = 0;
    std::uint32_t crc_ = 0;
};

}  // namespace tarnu
