// tarnu-pack: creates, lists, changes, extracts and verifies archive files, prints ZuBooks
// and builds them from outlines.

#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/zlb_archive.h"
#include "common/error.h"
#include "common/path.h"
#include "document/zubook_file.h"
#include "document/zubook_text.h"
#include "model/icon_cache.h"

namespace {

using tarnu::ArchiveEntry;
using tarnu::TCompressionLevel;
using tarnu::TZLBArchive;

using Args = std::span<const std::string>;

struct Options {
    TCompressionLevel level = TCompressionLevel::fcMaximum;
};

// A write-only stream to a file descriptor (standard output).
class FdStream final : public tarnu::Stream {
public:
    explicit FdStream(int fd) : fd_(fd) {}
    std::size_t read(void*, std::size_t) override { return 0; }
    void write(const void* buffer, std::size_t n) override {
        const auto* p = static_cast<const char*>(buffer);
        for (std::size_t done = 0; done < n;) {
            const ssize_t put = ::write(fd_, p + done, n - done);
            if (put < 0) {
                throw tarnu::Error("Error writing to standard output");
            }
            done += static_cast<std::size_t>(put);
        }
        written_ += static_cast<std::int64_t>(n);
    }
    std::int64_t position() const override { return written_; }
    void seek(std::int64_t position) override {
        if (position != written_) {
            throw tarnu::Error("Standard output cannot seek");
        }
    }
    std::int64_t size() const override { return written_; }
    void resize(std::int64_t) override {}

private:
    int fd_;
    std::int64_t written_ = 0;
};

// Counts what it is given and keeps nothing: verification needs only the CRC.
class DiscardStream final : public tarnu::Stream {
public:
    std::size_t read(void*, std::size_t) override { return 0; }
    void write(const void*, std::size_t n) override { size_ += static_cast<std::int64_t>(n); }
    std::int64_t position() const override { return size_; }
    void seek(std::int64_t) override {}
    std::int64_t size() const override { return size_; }
    void resize(std::int64_t) override {}

private:
    std::int64_t size_ = 0;
};

void openArchive(TZLBArchive& archive, const Options& options, const std::string& path) {
    archive.CompressionLevel = options.level;
    archive.VerifyFileCRC = true;
    archive.open(path);
}

const char* levelName(unsigned level) {
    static const char* const names[] = {"none", "fastest", "default", "maximum"};
    return level < 4 ? names[level] : "?";
}

int cmdCreate(const Options& options, Args args) {
    TZLBArchive archive;
    archive.CompressionLevel = options.level;
    archive.create(args[0]);
    if (args.size() == 1) {
        // Rewriting a new archive without removing anything writes it with no entries.
        archive.deleteEntry({});
    }
    for (const std::string& file : args.subspan(1)) {
        archive.addFile(file);
    }
    return 0;
}

int cmdList(const Options& options, Args args) {
    TZLBArchive archive;
    openArchive(archive, options, args[0]);
    std::printf("%-32s %12s %12s %-10s %-8s %s\n", "Name", "Size", "Stored", "Method", "Level",
                "CRC");
    for (const ArchiveEntry& e : archive.entries()) {
        std::printf("%-32s %12" PRId32 " %12" PRId32 " %-10s %-8s %08" PRIx32 "\n",
                    (e.folder + e.name).c_str(), e.uncompressedSize, e.storedSize,
                    e.storedAsIs ? "stored" : "compressed", levelName(e.level), e.crc);
    }
    return 0;
}

int cmdAdd(const Options& options, Args args) {
    TZLBArchive archive;
    openArchive(archive, options, args[0]);
    for (const std::string& file : args.subspan(1)) {
        archive.addFile(file);
    }
    return 0;
}

int cmdReplace(const Options& options, Args args) {
    TZLBArchive archive;
    openArchive(archive, options, args[0]);
    for (const std::string& file : args.subspan(1)) {
        archive.replaceFromFile(file, archive.indexOf(tarnu::path::fileName(file)));
    }
    return 0;
}

int cmdDelete(const Options& options, Args args) {
    TZLBArchive archive;
    openArchive(archive, options, args[0]);
    for (const std::string& name : args.subspan(1)) {
        // The archive quietly rewrites itself for an absent name; a user wants to know.
        if (archive.indexOf(name) < 0) {
            throw tarnu::Error(tarnu::formatMessage(tarnu::archive_messages::kEntryNotFound, name));
        }
        archive.deleteEntry(name);
    }
    return 0;
}

int cmdExtract(const Options& options, Args args) {
    TZLBArchive archive;
    openArchive(archive, options, args[0]);
    const std::string target = args.size() > 2 ? args[2] : ".";
    if (target == "-") {
        FdStream out(STDOUT_FILENO);
        archive.extractToStream(args[1], out);
    } else {
        archive.extractToDirectory(args[1], target);
    }
    return 0;
}

int cmdVerify(const Options& options, Args args) {
    TZLBArchive archive;
    archive.VerifyArchiveCRC = true;
    openArchive(archive, options, args[0]);
    int failures = 0;
    for (const ArchiveEntry& e : archive.entries()) {
        DiscardStream sink;
        try {
            archive.extractToStream(e.folder + e.name, sink);
        } catch (const tarnu::Error& error) {
            std::fprintf(stderr, "tarnu-pack: %s\n", error.what());
            ++failures;
        }
    }
    if (failures > 0) {
        return 1;
    }
    std::printf("%s: %zu entries OK\n", args[0].c_str(), archive.entries().size());
    return 0;
}

std::string readWholeFile(const std::string& path) {
    tarnu::FileStream in(path, tarnu::FileStream::Mode::Read);
    std::string bytes(static_cast<std::size_t>(in.size()), '\0');
    in.readExact(bytes.data(), bytes.size());
    return bytes;
}

int cmdBook(const Options&, Args args) {
    TZLBArchive archive;
    archive.VerifyFileCRC = true;
    tarnu::ZuBookReader reader(archive, args[0]);
    const std::string text = tarnu::describeZuBook(reader);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

// Icon indices for a ZuBook made away from any desktop: the folder icon first, as in the
// icon cache. The program gives every node its desktop's icon when it loads the ZuBook.
class OutlineIcons final : public tarnu::Icons {
public:
    int folderIcon() override { return 0; }
    int plainFileIcon() override { return 1; }
    int fileIcon(const std::string&) override { return 1; }
};

int cmdOutline(const Options& options, Args args) {
    tarnu::AsciiCollation collation;
    tarnu::ZuTree tree(collation);
    tarnu::buildFromOutline(tree, readWholeFile(args[0]));
    // New nodes start with a selected image of -1; the icon rule makes it the image.
    OutlineIcons iconPort;
    tarnu::IconCache icons(iconPort);
    tree.forEachInFlatOrder([&icons](tarnu::Node* node) {
        icons.applyIconRule(*node);
        return true;
    });
    tarnu::HotFolderTable hotFolders;
    tarnu::SharedTree shared(collation);
    TZLBArchive archive;
    archive.CompressionLevel = options.level;
    tarnu::writeZuBookFile(archive, args[1], tree, hotFolders, shared, std::nullopt);
    return 0;
}

struct Command {
    std::string_view name;
    std::string_view synopsis;
    std::string_view help;
    std::size_t minArgs;
    std::size_t maxArgs;  // 0: no limit
    int (*run)(const Options&, Args);
};

constexpr Command kCommands[] = {
    {"create", "ARCHIVE [FILE...]", "make a new archive, holding the FILEs if given", 1, 0,
     cmdCreate},
    {"list", "ARCHIVE", "list the entries: name, size, stored size, method, level, CRC", 1, 1,
     cmdList},
    {"add", "ARCHIVE FILE...", "add FILEs as new entries named after them", 2, 0, cmdAdd},
    {"replace", "ARCHIVE FILE...", "give the entries named after FILEs their new content", 2, 0,
     cmdReplace},
    {"delete", "ARCHIVE NAME...", "remove the named entries", 2, 0, cmdDelete},
    {"extract", "ARCHIVE NAME [DIR|-]", "write an entry into DIR (default .) or to stdout", 2, 3,
     cmdExtract},
    {"verify", "ARCHIVE", "check the archive's CRC and every entry's CRC", 1, 1, cmdVerify},
    {"book", "ZUBOOK", "print a ZuBook: tree, link records, hot folders, shared files", 1, 1,
     cmdBook},
    {"outline", "TEXT ZUBOOK", "build a ZuBook of ZuFolders from an indented outline", 2, 2,
     cmdOutline},
};

void printUsage(std::FILE* to) {
    std::fprintf(to, "Usage: tarnu-pack [options] COMMAND ARGUMENTS\n\nCommands:\n");
    for (const Command& c : kCommands) {
        std::fprintf(to, "  %-8.*s %-22.*s %.*s\n", int(c.name.size()), c.name.data(),
                     int(c.synopsis.size()), c.synopsis.data(), int(c.help.size()), c.help.data());
    }
    std::fprintf(to,
                 "\nOptions:\n"
                 "  -0 -1 -2 -9       compression level none, fastest, default, maximum\n"
                 "  --level LEVEL     none | fastest | default | maximum (default: maximum)\n"
                 "  -h, --help        show this text\n");
}

bool parseLevel(std::string_view text, TCompressionLevel& level) {
    static constexpr std::pair<std::string_view, TCompressionLevel> kLevels[] = {
        {"none", TCompressionLevel::fcNone},       {"0", TCompressionLevel::fcNone},
        {"fastest", TCompressionLevel::fcFastest}, {"1", TCompressionLevel::fcFastest},
        {"default", TCompressionLevel::fcDefault}, {"2", TCompressionLevel::fcDefault},
        {"maximum", TCompressionLevel::fcMaximum}, {"9", TCompressionLevel::fcMaximum},
    };
    for (const auto& [name, value] : kLevels) {
        if (text == name) {
            level = value;
            return true;
        }
    }
    return false;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "tarnu-pack: %s\n", message.c_str());
    printUsage(stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<std::string> words;
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsDone || arg.size() < 2 || arg[0] != '-') {
            words.emplace_back(arg);
        } else if (arg == "--") {
            optionsDone = true;
        } else if (arg == "-h" || arg == "--help") {
            printUsage(stdout);
            return 0;
        } else if (arg == "--level" || arg.starts_with("--level=")) {
            std::string_view value;
            if (arg == "--level") {
                if (++i == argc) {
                    return usageError("--level needs a value");
                }
                value = argv[i];
            } else {
                value = arg.substr(8);
            }
            if (!parseLevel(value, options.level)) {
                return usageError("unknown level " + std::string(value));
            }
        } else if (arg.size() != 2 || !parseLevel(arg.substr(1), options.level)) {
            return usageError("unknown option " + std::string(arg));
        }
    }
    if (words.empty()) {
        return usageError("no command given");
    }
    for (const Command& c : kCommands) {
        if (words[0] != c.name) {
            continue;
        }
        const Args args = Args(words).subspan(1);
        if (args.size() < c.minArgs || (c.maxArgs != 0 && args.size() > c.maxArgs)) {
            return usageError("usage: tarnu-pack " + std::string(c.name) + " " +
                              std::string(c.synopsis));
        }
        try {
            return c.run(options, args);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tarnu-pack: %s\n", e.what());
            return 1;
        }
    }
    return usageError("unknown command " + words[0]);
}
