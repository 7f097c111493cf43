#pragma once

// Helpers of the archive tests: a scratch directory, file access, and archives laid out byte
// by byte with zlib directly, independent of the code under test.

#include <stdlib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/stream.h"
#include "support/scratch_dir.h"

namespace tarnu::test {

using testing::ScratchDir;

// The text of the error an action raises; empty when it raises none.
template <class F>
std::string errorOf(F&& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return {};
}

using testing::readFile;
using testing::writeFile;

inline std::uint32_t le32(const std::string& s, std::size_t at) {
    auto b = [&](std::size_t i) { return std::uint32_t(static_cast<unsigned char>(s[at + i])); };
    return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}

inline void putLe32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[at + i] = static_cast<char>(v >> (8 * i));
    }
}

inline std::uint32_t zcrc(const std::string& s) {
    return static_cast<std::uint32_t>(
        ::crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

inline std::string zcompress(const std::string& s, int level) {
    uLongf size = ::compressBound(s.size());
    std::string out(size, '\0');
    ::compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(s.data()), s.size(), level);
    out.resize(size);
    return out;
}

inline std::string zuncompress(const std::string& s, std::size_t size) {
    std::string out(size, '\0');
    uLongf got = size;
    ::uncompress(reinterpret_cast<Bytef*>(out.data()), &got,
                 reinterpret_cast<const Bytef*>(s.data()), s.size());
    out.resize(got);
    return out;
}

inline std::string randomBytes(std::size_t n, unsigned seed = 1) {
    std::mt19937 gen(seed);
    std::string out(n, '\0');
    for (char& c : out) {
        c = static_cast<char>(gen());
    }
    return out;
}

inline std::string text(std::size_t n) {
    static const char* const words[] = {"link ", "folder ", "file ", "book ", "hot ", "key "};
    std::mt19937 gen(7);
    std::string out;
    while (out.size() < n) {
        out += words[gen() % 6];
    }
    out.resize(n);
    return out;
}

struct HandEntry {
    HandEntry(std::string n, std::string d, bool c = true, std::string f = {})
        : name(std::move(n)), data(std::move(d)), compress(c), folder(std::move(f)) {}

    std::string name;
    std::string data;
    bool compress = true;
    std::string folder;
};

// An archive laid out by hand. The patch hooks change the plain records before the
// directory is compressed, and the trailer after the CRC is taken.
struct HandArchive {
    std::vector<HandEntry> entries;
    bool compressedDirectory = true;
    std::function<void(std::string&)> patchRecords;
    std::function<void(std::string&)> patchTrailer;

    std::string build() const {
        std::string data, records;
        for (const HandEntry& e : entries) {
            const std::string stored = e.compress ? zcompress(e.data, 9) : e.data;
            std::string rec(536, '\0');
            rec[1] = static_cast<char>(e.name.size());
            rec.replace(2, e.name.size(), e.name);
            rec[257] = static_cast<char>(e.folder.size());
            rec.replace(258, e.folder.size(), e.folder);
            putLe32(rec, 516, static_cast<std::uint32_t>(e.data.size()));
            putLe32(rec, 520, static_cast<std::uint32_t>(stored.size()));
            putLe32(rec, 524, static_cast<std::uint32_t>(data.size()));
            putLe32(rec, 528, zcrc(e.data));
            rec[532] = e.compress ? 0 : 1;
            rec[533] = e.compress ? 3 : 0;
            data += stored;
            records += rec;
        }
        if (patchRecords) {
            patchRecords(records);
        }
        const std::string dir = compressedDirectory ? zcompress(records, 9) : records;
        std::string file = data + dir;
        std::string trailer(40, '\0');
        putLe32(trailer, 4, zcrc(file));
        putLe32(trailer, 8, static_cast<std::uint32_t>(entries.size()));
        putLe32(trailer, 12, 1);
        putLe32(trailer, 16, compressedDirectory ? static_cast<std::uint32_t>(dir.size()) : 0);
        putLe32(trailer, 20, static_cast<std::uint32_t>(data.size()));
        trailer[24] = compressedDirectory ? 1 : 0;
        if (patchTrailer) {
            patchTrailer(trailer);
        }
        return file + trailer;
    }
};

// A source that fails part-way, as a file on a failing disk would.
class FailingStream final : public Stream {
public:
    FailingStream(std::int64_t size, std::int64_t failAt) : size_(size), failAt_(failAt) {}
    std::size_t read(void* buffer, std::size_t n) override {
        if (pos_ >= failAt_) {
            throw Error("source read failed");
        }
        n = static_cast<std::size_t>(std::min<std::int64_t>(n, size_ - pos_));
        std::fill_n(static_cast<char*>(buffer), n, 'x');
        pos_ += static_cast<std::int64_t>(n);
        return n;
    }
    void write(const void*, std::size_t) override {}
    std::int64_t position() const override { return pos_; }
    void seek(std::int64_t p) override { pos_ = p; }
    std::int64_t size() const override { return size_; }
    void resize(std::int64_t) override {}

private:
    std::int64_t size_;
    std::int64_t failAt_;
    std::int64_t pos_ = 0;
};

}  // namespace tarnu::test
