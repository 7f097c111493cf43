#pragma once

// The compressed forms of the archive: entries and directories are each one zlib stream
// (RFC 1950 framing around deflate data). Streams read from a file inflate on demand;
// whole buffers deflate with the engine preferred at their level (archive_format.h).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

#include "archive/archive_format.h"
#include "common/stream.h"

namespace tarnu {

// The zlib level of a level setting: none 0, fastest 1, default -1, maximum 9.
int zlibLevel(TCompressionLevel level);
// The level an engine is asked for. libdeflate's level 7 stands for "maximum": it writes a
// smaller stream than zlib's level 9 in a third of the time.
int engineLevel(TCompressionLevel level, DeflateEngine engine);

// The bytes as one zlib stream, or nothing when that would not be smaller than the bytes
// themselves (the entry is then stored as is).
std::optional<std::string> deflateSmaller(std::string_view bytes, int zlibLevel,
                                          DeflateEngine engine);

// Inflates one whole zlib stream of a known size; nothing when it is damaged or the size
// differs.
std::optional<std::string> inflateWhole(std::string_view stream, std::size_t size,
                                        DeflateEngine engine);

// Inflates the zlib stream stored in a byte range of a file, on demand.
class RangeInflater {
public:
    RangeInflater(const FileStream& file, std::int64_t offset, std::int64_t length,
                  std::size_t block);
    ~RangeInflater();
    RangeInflater(const RangeInflater&) = delete;
    RangeInflater& operator=(const RangeInflater&) = delete;

    // Fills exactly n bytes; false when the stream is damaged or ends early.
    bool read(unsigned char* out, std::size_t n);

private:
    const FileStream& file_;
    std::int64_t pos_;
    std::int64_t left_;
    std::vector<unsigned char> in_;
    z_stream z_{};
    bool ended_ = false;
};

// A zlib deflate stream for sources too large to hold in memory, driven by its user.
class Deflater {
public:
    explicit Deflater(int zlibLevel);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    z_stream z{};
};

// The directory records as one zlib stream; false when compression fails.
bool compressDirectory(const std::vector<unsigned char>& records, int zlibLevel,
                       std::vector<unsigned char>& out);

}  // namespace tarnu
