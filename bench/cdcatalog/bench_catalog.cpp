// Scans a tree of 200,000 files in 20,000 directories into the disc catalog, against `find`
// over the same tree, each the best of three runs on a warm cache; then times a search that
// finds nothing, in the steps the catalog page takes between window events.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cdcatalog/catalog_search.h"
#include "cdcatalog/cd_catalog.h"
#include "model/collation.h"
#include "support/quiet_ports.h"

using namespace tarnu;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTopDirs = 200;
constexpr int kSubDirs = 100;     // 20,000 directories
constexpr int kFilesPerDir = 10;  // 200,000 files
constexpr int kRuns = 3;
// What the page visits between window events.
constexpr int kSearchStep = 50;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void makeTree(const std::filesystem::path& root) {
    for (int t = 0; t < kTopDirs; ++t) {
        for (int s = 0; s < kSubDirs; ++s) {
            const auto dir = root / ("dir" + std::to_string(t)) / ("sub" + std::to_string(s));
            std::filesystem::create_directories(dir);
            for (int f = 0; f < kFilesPerDir; ++f) {
                std::ofstream(dir / ("photo_" + std::to_string(f) + ".jpg")) << f;
            }
        }
    }
}

double bestOf(const auto& run) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        run(i);
        best = std::min(best, seconds(start));
    }
    return best;
}

}  // namespace

int main() {
    const auto scratch = std::filesystem::temp_directory_path() / "tarnu-bench-catalog";
    std::filesystem::remove_all(scratch);
    const auto volume = scratch / "volume";
    const auto data = scratch / "Data";
    std::filesystem::create_directories(data);
    makeTree(volume);

    const std::string findCommand = "find '" + volume.string() + "' >/dev/null";
    const double find = bestOf([&](int) {
        if (std::system(findCommand.c_str()) != 0) {
            std::exit(1);
        }
    });

    bench::QuietUi ui;
    AsciiCollation collation;
    CdCatalog catalog(data.string(), collation, ui);
    catalog.showPage();
    const CatalogNode* shelf = catalog.tree().first();
    const double scan = bestOf([&](int run) {
        catalog.addDirectory(shelf, volume.string(), "Volume" + std::to_string(run));
    });
    std::printf("catalog benchmark: %d files in %d directories\n",
                kTopDirs * kSubDirs * kFilesPerDir, kTopDirs * kSubDirs);
    std::printf("find over the tree             %.3f s\n", find);
    std::printf("scan into the catalog          %.3f s\n", scan);
    std::printf("scan / find                    %.2fx\n", scan / find);

    // Three CDs of 200,000 names each; the text matches none of them.
    CatalogSearch search(catalog, ui);
    const auto start = Clock::now();
    search.toggle("no such name", catalog.tree().first());
    int steps = 0;
    double longestStep = 0;
    for (bool going = true; going; ++steps) {
        const auto stepStart = Clock::now();
        going = search.step(kSearchStep);
        longestStep = std::max(longestStep, seconds(stepStart));
    }
    std::printf("search finding nothing         %.3f s in %d steps, longest step %.1f ms\n",
                seconds(start), steps, longestStep * 1000);
    std::filesystem::remove_all(scratch);
    return 0;
}
