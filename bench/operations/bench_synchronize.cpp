// Synchronizes (copies) 2,000 links to 50 KB files and times it against `cp -r` of the same
// files, each the best of three runs into a fresh target on a warm cache.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "operations/synchronize.h"
#include "support/quiet_ports.h"

using namespace tarnu;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

constexpr int kDirs = 20;
constexpr int kFilesPerDir = 100;
constexpr std::size_t kFileSize = 50 * 1024;
constexpr int kRuns = 3;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main() {
    const fs::path work =
        fs::temp_directory_path() / ("tarnu-bench-sync-" + std::to_string(::getpid()));
    const fs::path source = work / "source";
    AsciiCollation collation;
    ZuTree tree(collation);
    const std::string bytes(kFileSize, 'x');
    for (int d = 0; d < kDirs; ++d) {
        const fs::path dir = source / ("dir" + std::to_string(d));
        fs::create_directories(dir);
        Node* folder = tree.addChild(nullptr);
        tree.setText(folder, kColCaption, ":dir" + std::to_string(d));
        tree.setText(folder, kColKind, kKindZuFolder);
        for (int f = 0; f < kFilesPerDir; ++f) {
            const fs::path file = dir / ("file-" + std::to_string(f) + ".bin");
            std::ofstream(file, std::ios::binary) << bytes;
            Node* link = tree.addChild(folder);
            tree.setText(link, kColCaption, file.stem().string());
            tree.setText(link, kColPath, file.string());
            tree.setText(link, kColKind, kKindFile);
        }
    }
    const std::string cp = "cp -r '" + source.string() + "' '" + (work / "cp").string() + "'";
    double copy = 1e9;
    for (int r = 0; r < kRuns; ++r) {
        fs::remove_all(work / "cp");
        auto start = Clock::now();
        if (std::system(cp.c_str()) != 0) {
            std::fprintf(stderr, "cp failed\n");
        }
        copy = std::min(copy, seconds(start));
    }
    bench::QuietUi ui;
    double sync = 1e9;
    std::size_t failures = 0;
    for (int r = 0; r < kRuns; ++r) {
        fs::remove_all(work / "sync");
        fs::create_directories(work / "sync");
        SyncFiles files;
        SyncRun run(tree, {(work / "sync").string(), SyncScope::AllTree, SyncAction::Copy, false},
                    files);
        std::atomic<bool> stop{false};
        auto start = Clock::now();
        run.run(stop, [](std::size_t, std::size_t, const std::string&) {});
        sync = std::min(sync, seconds(start));
        failures = run.outcome().failures.size();
        run.finish(ui);
    }
    std::printf("files of %zu bytes                  %d (failed %zu)\n", kFileSize,
                kDirs * kFilesPerDir, failures);
    std::printf("cp -r (best of %d)                   %.3f s\n", kRuns, copy);
    std::printf("synchronize copy (best of %d)        %.3f s\n", kRuns, sync);
    std::printf("synchronize / cp -r                 %.2fx\n", sync / copy);
    fs::remove_all(work);
    return 0;
}
