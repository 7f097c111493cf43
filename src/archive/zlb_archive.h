#pragma once

// The archive container behind ZuBook files, the data pack, the image pack and the CD
// catalog store: named entries (zlib-compressed or stored as is), a directory of 536-byte
// records and a 40-byte trailer with a CRC-32 over the whole file.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/stream.h"

namespace tarnu {

enum class TCompressionLevel : std::uint8_t {
    fcNone = 0,
    fcFastest = 1,
    fcDefault = 2,
    fcMaximum = 3
};

inline constexpr int kTrailerSize = 40;
inline constexpr int kRecordSize = 536;
inline constexpr int kArchiveVersion = 1;

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
}  // namespace archive_messages

class TZLBArchive {
public:
    TZLBArchive();
    virtual ~TZLBArchive();
    TZLBArchive(const TZLBArchive&) = delete;
    TZLBArchive& operator=(const TZLBArchive&) = delete;

    // Settings.
    TCompressionLevel CompressionLevel = TCompressionLevel::fcDefault;
    int MaxMemoryUsage = 20;  // megabytes
    bool VerifyArchiveCRC = true;
    bool VerifyFileCRC = false;
    bool SavePaths = false;
    bool ExtractWithPath = false;
    bool RecursePaths = false;

    // Events; the program attaches none.
    std::function<void()> OnArchiveOpened;
    std::function<void(const ArchiveEntry&)> OnFileAddUpdate;
    std::function<void(const std::string& path)> OnReplaceFile;
    std::function<void(const std::string& name, const std::string& path)> OnFileExtracted;
    std::function<void(const std::string& name)> OnStreamExtracted;
    std::function<void(const std::string& message)> OnErrorLogged;
    std::function<void(const std::string& text, int percent)> OnProgress;

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
    void extractToDirectory(std::string_view name, const std::string& directory);
    void extractToDirectory(int position, const std::string& directory);

    void addStream(std::string_view name, Stream& source);
    void addFile(const std::string& filePath);
    void replaceFromStream(std::string_view name, Stream& source);
    void replaceFromFile(const std::string& filePath, int position);
    void deleteEntry(std::string_view name);

protected:
    // A new, empty temporary file with the prefix "ZLB" in the given directory.
    virtual std::string makeTempFileName(const std::string& directory);
    // Adds every file of a directory (and of its sub-directories with RecursePaths).
    virtual void addDirectory(const std::string& directory);

private:
    class Rewrite;

    void requireOpen() const;
    std::size_t blockSize() const;
    void progress(std::string_view text, std::string_view arg, int percent) const;
    void openImpl(const std::string& fileName);
    void extractImpl(const ArchiveEntry& entry, Stream& target);
    void extractToDirectoryImpl(const ArchiveEntry& entry, const std::string& directory);
    void addImpl(std::string name, std::string folder, Stream& source);
    void addFileImpl(const std::string& filePath);
    void replaceImpl(int position, Stream& source);
    void addDirectoryImpl(const std::string& directory);
    // Takes over the state of a file just written, as if it had been opened again.
    void adopt(ArchiveTrailer trailer, std::vector<ArchiveEntry> entries);

    std::string fileName_;
    bool newArchive_ = false;
    ArchiveTrailer trailer_;
    std::vector<ArchiveEntry> entries_;
};

}  // namespace tarnu
