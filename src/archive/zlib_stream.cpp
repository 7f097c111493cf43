#include "archive/zlib_stream.h"

#ifdef TARNU_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <new>

namespace tarnu {

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

bool haveLibdeflate() {
#ifdef TARNU_HAVE_LIBDEFLATE
    return true;
#else
    return false;
#endif
}

DeflateEngine preferredEngine(TCompressionLevel) {
    return haveLibdeflate() ? DeflateEngine::Libdeflate : DeflateEngine::Zlib;
}

int engineLevel(TCompressionLevel level, DeflateEngine engine) {
    if (engine == DeflateEngine::Libdeflate && level == TCompressionLevel::fcMaximum) {
        return 7;
    }
    return zlibLevel(level);
}

namespace {

std::optional<std::string> zlibDeflateSmaller(std::string_view bytes, int level) {
    Deflater d(level);
    std::string out(bytes.size() - 1, '\0');
    d.z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    d.z.next_out = reinterpret_cast<Bytef*>(out.data());
    // Sizes above 4 GiB never reach here: entries are limited to 2 GiB.
    d.z.avail_in = static_cast<uInt>(bytes.size());
    d.z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&d.z, Z_FINISH) != Z_STREAM_END) {
        return std::nullopt;  // the output did not fit: not smaller
    }
    out.resize(d.z.total_out);
    return out;
}

#ifdef TARNU_HAVE_LIBDEFLATE
std::optional<std::string> libdeflateSmaller(std::string_view bytes, int level) {
    // zlib's default level is 6 on both scales.
    const int lev = level == Z_DEFAULT_COMPRESSION ? 6 : level;
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> c(
        libdeflate_alloc_compressor(lev), libdeflate_free_compressor);
    if (!c) {
        throw std::bad_alloc();
    }
    std::string out(bytes.size() - 1, '\0');
    const std::size_t n =
        libdeflate_zlib_compress(c.get(), bytes.data(), bytes.size(), out.data(), out.size());
    if (n == 0) {
        return std::nullopt;
    }
    out.resize(n);
    return out;
}
#endif

}  // namespace

std::optional<std::string> deflateSmaller(std::string_view bytes, int level, DeflateEngine engine) {
    if (bytes.size() < 2) {
        return std::nullopt;  // no stream is shorter than one byte
    }
#ifdef TARNU_HAVE_LIBDEFLATE
    if (engine == DeflateEngine::Libdeflate) {
        return libdeflateSmaller(bytes, level);
    }
#else
    (void)engine;
#endif
    return zlibDeflateSmaller(bytes, level);
}

std::optional<std::string> inflateWhole(std::string_view stream, std::size_t size,
                                        DeflateEngine engine) {
    std::string out(size, '\0');
#ifdef TARNU_HAVE_LIBDEFLATE
    if (engine == DeflateEngine::Libdeflate) {
        std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> d(
            libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
        if (!d) {
            throw std::bad_alloc();
        }
        const auto r = libdeflate_zlib_decompress(d.get(), stream.data(), stream.size(), out.data(),
                                                  out.size(), nullptr);
        return r == LIBDEFLATE_SUCCESS ? std::optional(std::move(out)) : std::nullopt;
    }
#else
    (void)engine;
#endif
    uLongf got = static_cast<uLongf>(size);
    const int r = uncompress(reinterpret_cast<Bytef*>(out.data()), &got,
                             reinterpret_cast<const Bytef*>(stream.data()),
                             static_cast<uLong>(stream.size()));
    return r == Z_OK && got == size ? std::optional(std::move(out)) : std::nullopt;
}

RangeInflater::RangeInflater(const FileStream& file, std::int64_t offset, std::int64_t length,
                             std::size_t block)
    : file_(file),
      pos_(offset),
      left_(length),
      in_(static_cast<std::size_t>(std::min<std::int64_t>(length, std::int64_t(block)))) {
    if (inflateInit(&z_) != Z_OK) {
        throw std::bad_alloc();
    }
}

RangeInflater::~RangeInflater() {
    inflateEnd(&z_);
}

bool RangeInflater::read(unsigned char* out, std::size_t n) {
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
            const auto want =
                static_cast<std::size_t>(std::min<std::int64_t>(left_, std::int64_t(in_.size())));
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

Deflater::Deflater(int level) {
    if (deflateInit(&z, level) != Z_OK) {
        throw std::bad_alloc();
    }
}

Deflater::~Deflater() {
    deflateEnd(&z);
}

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

}  // namespace tarnu
