#pragma once

// The archive container behind ZuBook files, the data pack, the image pack and the CD
// catalog store: named entries (zlib-compressed or stored as is), a directory of 536-byte
// records and a 40-byte trailer with a CRC-32 over the whole file.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_format.h"
#include "archive/entry_reader.h"
#include "common/stream.h"

namespace tarnu {

class TZLBArchive {
public:
    TZLBArchive();
    ~TZLBArchive();
    TZLBArchive(const TZLBArchive&) = delete;
    TZLBArchive& operator=(const TZLBArchive&) = delete;

    // Settings.
    TCompressionLevel CompressionLevel = TCompressionLevel::fcDefault;
    bool VerifyArchiveCRC = true;
    bool VerifyFileCRC = false;

    void open(const std::string& fileName);
    void close() noexcept;
    void create(const std::string& fileName);

    bool isOpen() const { return !fileName_.empty(); }
    const std::string& fileName() const { return fileName_; }
    bool isNewArchive() const { return newArchive_; }
    const ArchiveTrailer& trailer() const { return trailer_; }
    const std::vector<ArchiveEntry>& entries() const;

    int indexOf(std::string_view name) const;
    int entryCount() const;

    void extractToStream(std::string_view name, Stream& target);
    // The entry as a stream that inflates as it is read, for entries too large to hold
    // whole; "%s not found in archive" when absent. The CRC is checked at its end.
    std::unique_ptr<EntryReader> openEntry(std::string_view name);
    void extractToDirectory(std::string_view name, const std::string& directory);
    void extractToDirectory(int position, const std::string& directory);

    void addStream(std::string_view name, Stream& source);
    void addFile(const std::string& filePath);
    void replaceFromStream(std::string_view name, Stream& source);
    void replaceFromFile(const std::string& filePath, int position);
    void deleteEntry(std::string_view name);

private:
    void requireOpen() const;
    void openImpl(const std::string& fileName);
    void extractImpl(const ArchiveEntry& entry, Stream& target);
    void extractToDirectoryImpl(const ArchiveEntry& entry, const std::string& directory);
    void addImpl(const std::string& name, Stream& source);
    void replaceImpl(int position, Stream& source);
    // Takes over the state of a file just written, as if it had been opened again.
    void adopt(ArchiveTrailer trailer, std::vector<ArchiveEntry> entries);

    std::string fileName_;
    bool newArchive_ = false;
    ArchiveTrailer trailer_;
    std::vector<ArchiveEntry> entries_;
};

// The content of the named entry, or nothing when the archive has no such entry.
std::optional<std::string> extractIfPresent(TZLBArchive& archive, std::string_view name);

}  // namespace tarnu
