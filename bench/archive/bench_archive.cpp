// Times the archive against gzip and a plain read on the same 100 MB of mixed data and
// prints the ratios. Best of three runs each; everything lives in a scratch directory.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "archive/zlb_archive.h"
#include "common/error.h"
#include "common/stream.h"

namespace {

constexpr std::size_t kTotal = std::size_t{100} << 20;
constexpr std::size_t kChunk = std::size_t{64} << 10;
constexpr int kRuns = 3;

// Alternating chunks of word text (compresses well) and random bytes (does not).
std::string mixedData() {
    static const char* const words[] = {"link ", "folder ",   "file ",  "book ",   "hot ",
                                        "key ",  "shared ",   "lock ",  "search ", "tree ",
                                        "node ", "favorite ", "disc ",  "server ", "path ",
                                        "data ", "archive ",  "entry ", "level ",  "sync "};
    std::mt19937_64 gen(20240601);
    std::string out;
    out.reserve(kTotal);
    for (std::size_t chunk = 0; out.size() < kTotal; ++chunk) {
        const std::size_t end = std::min(out.size() + kChunk, kTotal);
        if (chunk % 2 == 0) {
            while (out.size() < end) {
                out += words[gen() % std::size(words)];
            }
            out.resize(end);
        } else {
            while (out.size() < end) {
                const std::uint64_t r = gen();
                out.append(reinterpret_cast<const char*>(&r),
                           std::min<std::size_t>(8, end - out.size()));
            }
        }
    }
    return out;
}

double bestOf(const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

void shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        throw tarnu::Error("command failed: " + command);
    }
}

void plainRead(const std::string& path) {
    tarnu::FileStream in(path, tarnu::FileStream::Mode::Read);
    std::vector<char> buf(std::size_t{1} << 20);
    volatile char sink = 0;
    for (std::int64_t at = 0;;) {
        const std::size_t n = in.readAt(at, buf.data(), buf.size());
        if (n == 0) {
            break;
        }
        sink = sink + buf[0];
        at += static_cast<std::int64_t>(n);
    }
}

void row(const char* what, const char* base, double baseTime, double ours, std::size_t bytes) {
    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("%-28s %-22s %8.3f s %8.1f MB/s   %8.3f s %8.1f MB/s   %6.2fx\n", what, base,
                baseTime, mb / baseTime, ours, mb / ours, baseTime / ours);
}

int run(const std::string& dir) {
    const std::string data = dir + "/data.bin";
    const std::string gz = dir + "/data.gz";
    const std::string archivePath = dir + "/data.zlb";
    const std::string out = dir + "/out";
    {
        const std::string bytes = mixedData();
        tarnu::FileStream f(data, tarnu::FileStream::Mode::Create);
        f.write(bytes.data(), bytes.size());
    }
    shell("gzip -9 -c '" + data + "' > '" + gz + "'");

    const double gzipCompress = bestOf([&] { shell("gzip -9 -c '" + data + "' > /dev/null"); });
    const double add = bestOf([&] {
        std::filesystem::remove(archivePath);
        tarnu::TZLBArchive archive;
        archive.CompressionLevel = tarnu::TCompressionLevel::fcMaximum;
        archive.create(archivePath);
        archive.addFile(data);
    });

    const double gzipExpand =
        bestOf([&] { shell("gzip -dc '" + gz + "' > '" + dir + "/gunzipped'"); });
    tarnu::TZLBArchive archive;
    archive.VerifyFileCRC = true;
    archive.open(archivePath);
    const double extract = bestOf([&] { archive.extractToDirectory("data.bin", out); });

    const std::size_t archiveSize = std::filesystem::file_size(archivePath);
    const double cat = bestOf([&] { shell("cat '" + archivePath + "' > /dev/null"); });
    const double readLoop = bestOf([&] { plainRead(archivePath); });
    const double open = bestOf([&] {
        tarnu::TZLBArchive reader;
        reader.VerifyArchiveCRC = true;
        reader.open(archivePath);
    });

    std::printf("archive benchmark: %zu MiB, text and random bytes in %zu KiB chunks, best of %d\n",
                kTotal >> 20, kChunk >> 10, kRuns);
    std::printf("archive %zu bytes (%.1f%%), gzip -9 %ju bytes\n\n", archiveSize,
                100.0 * static_cast<double>(archiveSize) / kTotal,
                static_cast<std::uintmax_t>(std::filesystem::file_size(gz)));
    std::printf("%-28s %-22s %-28s %-28s %s\n", "operation", "baseline", "baseline time",
                "archive time", "speed vs baseline");
    row("add, maximum level", "gzip -9 -c >/dev/null", gzipCompress, add, kTotal);
    row("extract to a file, CRC on", "gzip -dc > file", gzipExpand, extract, kTotal);
    row("open, archive CRC check", "cat >/dev/null", cat, open, archiveSize);
    row("open, archive CRC check", "read loop, 1 MiB", readLoop, open, archiveSize);
    std::printf("\nopen with CRC check: %.2f GB/s\n",
                static_cast<double>(archiveSize) / open / 1e9);
    return 0;
}

}  // namespace

int main() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tarnu-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    int status = 1;
    try {
        status = run(pattern);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_archive: %s\n", e.what());
    }
    std::filesystem::remove_all(pattern);
    return status;
}
