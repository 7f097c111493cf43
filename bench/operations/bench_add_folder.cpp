// Adds a folder of 200,000 files in 20,020 directories to a ZuBook and times it against
// `find` walking the same tree, each the best of three runs on a warm cache.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "operations/adding.h"
#include "support/quiet_ports.h"

using namespace tarnu;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTopDirs = 20;
constexpr int kSubDirs = 1000;
constexpr int kFilesPerDir = 10;
constexpr int kRuns = 3;

class NoLinks : public LinkRecordServices {
public:
    void relock(Node&) override {}
    bool registerHotKey(std::uint32_t) override { return true; }
    void checkLinks() override {}
};

const char* kExtensions[] = {".txt", ".jpg", ".pdf", ".doc", ".png"};

void makeTree(const std::string& root) {
    for (int t = 0; t < kTopDirs; ++t) {
        for (int s = 0; s < kSubDirs; ++s) {
            std::string dir = root + "/top" + std::to_string(t) + "/sub" + std::to_string(s);
            std::filesystem::create_directories(dir);
            for (int f = 0; f < kFilesPerDir; ++f) {
                std::string file = dir + "/file-" + std::to_string(f) + kExtensions[f % 5];
                if (FILE* out = std::fopen(file.c_str(), "w")) {
                    std::fclose(out);
                }
            }
        }
    }
}

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double bestFind(const std::string& root) {
    const std::string command = "find '" + root + "' > /dev/null";
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        auto start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "find failed\n");
        }
        best = std::min(best, seconds(start));
    }
    return best;
}

}  // namespace

int main() {
    const std::string work =
        std::filesystem::temp_directory_path() / ("tarnu-bench-add-" + std::to_string(::getpid()));
    const std::string root = work + "/tree";
    std::filesystem::create_directories(work);
    auto start = Clock::now();
    makeTree(root);
    std::printf("tree of %d files in %d directories made in %.1f s\n",
                kTopDirs * kSubDirs * kFilesPerDir, kTopDirs * kSubDirs + kTopDirs, seconds(start));

    bench::QuietUi ui;
    ui.inputAnswer = "bench.dua";  // the new ZuBook's name
    bench::NoMessages messages;
    bench::PlainIcons iconPort;
    NoLinks links;
    bench::NoPump pump;
    AsciiCollation collation;
    ZuTree tree(collation);
    IconCache icons(iconPort);
    TZLBArchive archive;
    HotFolderTable hotFolders;
    SharedTree shared(collation);
    ZuBookDocument doc(
        ZuBookParts{tree, icons, archive, hotFolders, shared, links, ui, messages, work});
    doc.newZuBook();
    Settings settings;
    settings.ask = false;
    AddOptionsCopy options(settings);
    TreeBusy busy;
    ZuBookAdder adder(AddingParts{tree, icons, doc, settings, options, ui, pump, busy, work});

    const double find = bestFind(root);  // the first of its runs warms the cache for both
    double add = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        tree.clear();
        start = Clock::now();
        adder.addFolder(root);
        add = std::min(add, seconds(start));
    }
    std::printf("nodes added                   %zu\n", tree.nodeCount());
    std::printf("find > /dev/null (best of %d)  %.3f s\n", kRuns, find);
    std::printf("Add folder (best of %d)        %.3f s\n", kRuns, add);
    std::printf("Add folder / find             %.2fx\n", add / find);
    tree.clear();
    std::filesystem::remove_all(work);
    return 0;
}
