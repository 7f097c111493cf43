#pragma once

// Byte streams with a position, the common ground of the archive and the node stream.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace tarnu {

class Stream {
public:
    virtual ~Stream() = default;

    // Reads up to n bytes at the position; fewer only at the end of the stream.
    virtual std::size_t read(void* buffer, std::size_t n) = 0;
    // Writes n bytes at the position, growing the stream as needed.
    virtual void write(const void* buffer, std::size_t n) = 0;
    virtual std::int64_t position() const = 0;
    virtual void seek(std::int64_t position) = 0;
    virtual std::int64_t size() const = 0;
    // Cuts or extends the stream to the given size; the position is kept.
    virtual void resize(std::int64_t size) = 0;
    // A hint that about this many bytes will be written in all.
    virtual void reserve(std::int64_t /*size*/) {}

    // Reads exactly n bytes or raises "Stream read error".
    void readExact(void* buffer, std::size_t n);
    std::int32_t readI32();
    void writeI32(std::int32_t v);
};

// A stream over bytes held in memory.
class MemoryStream final : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

    std::size_t read(void* buffer, std::size_t n) override;
    void write(const void* buffer, std::size_t n) override;
    std::int64_t position() const override { return static_cast<std::int64_t>(pos_); }
    void seek(std::int64_t position) override;
    std::int64_t size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    void resize(std::int64_t size) override;
    void reserve(std::int64_t size) override { bytes_.reserve(static_cast<std::size_t>(size)); }

    const std::string& bytes() const { return bytes_; }
    std::string takeBytes();

private:
    std::string bytes_;
    std::size_t pos_ = 0;
};

// A stream over an open file, unbuffered: callers move data in large blocks.
class FileStream final : public Stream {
public:
    enum class Mode { Read, Create, ReadWrite };

    // Raises Error with the system's reason when the file cannot be opened.
    FileStream(const std::string& path, Mode mode);
    // Takes over a descriptor that is open already, and closes it in the end.
    // name is the file that messages name.
    struct Adopt {
        int fd;
        std::string name;
    };
    explicit FileStream(Adopt adopt) : fd_(adopt.fd), name_(std::move(adopt.name)) {}
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::size_t read(void* buffer, std::size_t n) override;
    void write(const void* buffer, std::size_t n) override;
    std::int64_t position() const override { return pos_; }
    void seek(std::int64_t position) override;
    std::int64_t size() const override;
    void resize(std::int64_t size) override;

    // Reads at an absolute offset without moving the position.
    std::size_t readAt(std::int64_t offset, void* buffer, std::size_t n) const;
    // Flushes the file's data to the disk.
    void sync();
    // Failures of writing raise SystemError: "Stream write error (file: reason)".
    const std::string& name() const { return name_; }
    int fd() const { return fd_; }

private:
    [[noreturn]] void failWrite() const;

    int fd_ = -1;
    std::string name_;
    std::int64_t pos_ = 0;
};

}  // namespace tarnu
