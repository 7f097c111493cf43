// "Check links" over 200,000 File links (one in twenty missing) against a bare loop of
// stat() over the same paths, each the best of three runs on a warm cache.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "operations/link_scans.h"
#include "support/quiet_ports.h"

using namespace tarnu;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kDirs = 200;
constexpr int kLinksPerDir = 1000;
constexpr int kMissingEvery = 20;
constexpr int kRuns = 3;

class NoLocks : public FileLocks {
public:
    LockHandle lock(const std::string&) override { return kNoLock; }
    bool unlock(LockHandle) override { return true; }
    bool isLockedByAnyone(const std::string&) override { return false; }
};

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The links' paths; every kMissingEvery-th file is not made.
std::vector<std::string> makeFiles(const std::string& root) {
    std::vector<std::string> paths;
    paths.reserve(kDirs * kLinksPerDir);
    for (int d = 0; d < kDirs; ++d) {
        const std::string dir = root + "/d" + std::to_string(d);
        std::filesystem::create_directories(dir);
        for (int f = 0; f < kLinksPerDir; ++f) {
            paths.push_back(dir + "/file-" + std::to_string(f) + ".txt");
            if (f % kMissingEvery != 0) {
                if (FILE* out = std::fopen(paths.back().c_str(), "w")) {
                    std::fclose(out);
                }
            }
        }
    }
    return paths;
}

void fillTree(ZuTree& tree, const std::vector<std::string>& paths) {
    Node* folder = nullptr;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (i % kLinksPerDir == 0) {
            folder = tree.addChild(nullptr);
            tree.setText(folder, kColCaption, ":d" + std::to_string(i / kLinksPerDir));
            tree.setText(folder, kColKind, kKindZuFolder);
        }
        Node* link = tree.addChild(folder);
        tree.setText(link, kColCaption, "file" + std::to_string(i));
        tree.setText(link, kColPath, paths[i]);
        tree.setText(link, kColLock, "No");
        tree.setText(link, kColKind, kKindFile);
    }
}

double bestStatLoop(const std::vector<std::string>& paths, std::size_t& missing) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        missing = 0;
        auto start = Clock::now();
        for (const std::string& path : paths) {
            struct stat st {};
            missing += (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) ? 1 : 0;
        }
        best = std::min(best, seconds(start));
    }
    return best;
}

}  // namespace

int main() {
    const std::string work = std::filesystem::temp_directory_path() /
                             ("tarnu-bench-check-" + std::to_string(::getpid()));
    auto start = Clock::now();
    const std::vector<std::string> paths = makeFiles(work);
    std::printf("%zu links to files in %d directories made in %.1f s\n", paths.size(), kDirs,
                seconds(start));

    AsciiCollation collation;
    ZuTree tree(collation);
    fillTree(tree, paths);
    bench::QuietUi ui;
    bench::PlainIcons iconPort;
    IconCache icons(iconPort);
    NoLocks lockPort;
    LinkLocks locks(lockPort);
    bench::NoPump pump;
    TreeBusy busy;
    LinkScans scans(LinkScanParts{tree, icons, locks, ui, pump, busy, nullptr,
                                  std::chrono::milliseconds(10), nullptr});

    std::size_t missing = 0;
    const double statLoop = bestStatLoop(paths, missing);
    double check = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        start = Clock::now();
        scans.aCheckLinksExecute();
        check = std::min(check, seconds(start));
    }
    std::size_t broken = 0;
    tree.forEachInFlatOrder([&broken](Node* node) {
        broken += node->stateIndex() == kStateBroken ? 1 : 0;
        return true;
    });
    std::printf("links marked broken / stat misses  %zu / %zu\n", broken, missing);
    std::printf("stat loop (best of %d)              %.3f s\n", kRuns, statLoop);
    std::printf("Check links (best of %d)            %.3f s\n", kRuns, check);
    std::printf("Check links / stat loop            %.2fx\n", check / statLoop);
    tree.clear();
    std::filesystem::remove_all(work);
    return broken == missing ? 0 : 1;
}
