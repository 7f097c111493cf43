#include "common/stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "common/bytes.h"
#include "common/error.h"

namespace tarnu {

namespace {

[[noreturn]] void throwSystem(const std::string& what) {
    const int error = errno;
    throw SystemError(what + ": " + systemReason(error), error);
}

}  // namespace

void Stream::readExact(void* buffer, std::size_t n) {
    if (read(buffer, n) != n) {
        throw Error("Stream read error");
    }
}

std::int32_t Stream::readI32() {
    unsigned char b[4];
    readExact(b, 4);
    return getI32(b);
}

void Stream::writeI32(std::int32_t v) {
    unsigned char b[4];
    putI32(b, v);
    write(b, 4);
}

std::size_t MemoryStream::read(void* buffer, std::size_t n) {
    if (pos_ >= bytes_.size()) {
        return 0;
    }
    n = std::min(n, bytes_.size() - pos_);
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
}

void MemoryStream::write(const void* buffer, std::size_t n) {
    if (pos_ == bytes_.size()) {
        bytes_.append(static_cast<const char*>(buffer), n);
    } else {
        if (pos_ + n > bytes_.size()) {
            bytes_.resize(pos_ + n);
        }
        std::memcpy(bytes_.data() + pos_, buffer, n);
    }
    pos_ += n;
}

void MemoryStream::seek(std::int64_t position) {
    if (position < 0) {
        throw Error("Stream seek error");
    }
    if (static_cast<std::size_t>(position) > bytes_.size()) {
        bytes_.resize(static_cast<std::size_t>(position));
    }
    pos_ = static_cast<std::size_t>(position);
}

void MemoryStream::resize(std::int64_t size) {
    bytes_.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
}

std::string MemoryStream::takeBytes() {
    pos_ = 0;
    return std::exchange(bytes_, {});
}

FileStream::FileStream(const std::string& path, Mode mode) : name_(path) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read:
            flags |= O_RDONLY;
            break;
        case Mode::Create:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
        case Mode::ReadWrite:
            flags |= O_RDWR;
            break;
    }
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0) {
        throwSystem(path);
    }
}

FileStream::~FileStream() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::size_t FileStream::read(void* buffer, std::size_t n) {
    std::size_t got = readAt(pos_, buffer, n);
    pos_ += static_cast<std::int64_t>(got);
    return got;
}

std::size_t FileStream::readAt(std::int64_t offset, void* buffer, std::size_t n) const {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        ssize_t got = ::pread(fd_, out + done, n - done, offset + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw Error("Stream read error");
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void FileStream::write(const void* buffer, std::size_t n) {
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        ssize_t put = ::pwrite(fd_, in + done, n - done, pos_ + static_cast<off_t>(done));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            failWrite();
        }
        done += static_cast<std::size_t>(put);
    }
    pos_ += static_cast<std::int64_t>(n);
}

void FileStream::seek(std::int64_t position) {
    if (position < 0) {
        throw Error("Stream seek error");
    }
    pos_ = position;
}

std::int64_t FileStream::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        throwSystem("fstat");
    }
    return st.st_size;
}

void FileStream::resize(std::int64_t size) {
    if (::ftruncate(fd_, size) != 0) {
        failWrite();
    }
}

void FileStream::sync() {
    if (::fsync(fd_) != 0) {
        failWrite();
    }
}

void FileStream::failWrite() const {
    const int error = errno;
    throw SystemError(withDetail("Stream write error", name_ + ": " + systemReason(error)), error);
}

}  // namespace tarnu
