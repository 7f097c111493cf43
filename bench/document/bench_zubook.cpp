// Saves and loads a 1,000,000-node ZuBook with typical texts, with and without the link
// check, and times the link check against a plain stat() loop over the same paths. The save
// is split into its snapshot (on the calling thread) and its compress-and-write step (which
// may run on a worker), the latter with zlib and with libdeflate on the same snapshot.

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "archive/zlib_stream.h"
#include "document/zubook.h"
#include "document/zubook_file.h"
#include "operations/locking.h"
#include "support/quiet_ports.h"

using namespace tarnu;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFolders = 1000;
constexpr int kLinksPerFolder = 999;
constexpr int kRealFiles = 20000;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Loading with the link check switched on or off; nothing is locked or registered.
class BenchLinks : public LinkRecordServices {
public:
    BenchLinks(ZuTree& tree, IconCache& icons) : tree_(tree), icons_(icons) {}
    void relock(Node&) override {}
    bool registerHotKey(std::uint32_t) override { return true; }
    void checkLinks() override {
        if (enabled) {
            tarnu::checkLinks(tree_, icons_);
        }
    }
    bool enabled = false;

private:
    ZuTree& tree_;
    IconCache& icons_;
};

std::vector<std::string> makeRealFiles(const std::string& root) {
    std::vector<std::string> paths;
    for (int i = 0; i < kRealFiles; ++i) {
        std::string dir = root + "/d" + std::to_string(i / 100);
        if (i % 100 == 0) {
            std::filesystem::create_directories(dir);
        }
        paths.push_back(dir + "/document-" + std::to_string(i) + ".txt");
        if (FILE* f = std::fopen(paths.back().c_str(), "w")) {
            std::fclose(f);
        }
    }
    return paths;
}

void buildTree(ZuTree& tree, const std::vector<std::string>& files) {
    std::mt19937 rng(7);
    std::size_t next = 0;
    for (int f = 0; f < kFolders; ++f) {
        Node* folder = tree.addChild(nullptr);
        tree.setText(folder, kColCaption, ":Folder " + std::to_string(rng() % 100000));
        tree.setText(folder, kColKind, kKindZuFolder);
        for (int i = 0; i < kLinksPerFolder; ++i) {
            // One link in ten points at a file that is not there.
            const std::string& path = files[next++ % files.size()];
            Node* link = tree.addChild(folder);
            tree.setText(link, kColCaption, "doc " + std::to_string(rng() % 1000000));
            tree.setText(link, kColPath, i % 10 == 0 ? path + ".gone" : path);
            tree.setText(link, kColLock, "No");
            tree.setText(link, kColKind, kKindFile);
        }
    }
}

}  // namespace

int main() {
    const std::string root = std::filesystem::temp_directory_path() / "tarnu-bench-zubook";
    std::filesystem::remove_all(root);
    const auto files = makeRealFiles(root);
    const std::string book = root + "/big.dua";

    bench::QuietUi ui;
    bench::NoMessages messages;
    bench::PlainIcons iconPort;
    LocaleCollation collation;
    ZuTree tree(collation);
    IconCache icons(iconPort);
    TZLBArchive archive;
    archive.CompressionLevel = TCompressionLevel::fcMaximum;
    archive.VerifyFileCRC = true;
    HotFolderTable hotFolders;
    SharedTree shared(collation);
    BenchLinks links(tree, icons);
    ZuBookDocument doc(
        ZuBookParts{tree, icons, archive, hotFolders, shared, links, ui, messages, root});

    buildTree(tree, files);
    auto start = Clock::now();
    if (!doc.save(book)) {
        return 1;
    }
    const double save = seconds(start);
    std::printf("ZuBook of %zu nodes, %.1f MB on disk\n", tree.nodeCount(),
                static_cast<double>(std::filesystem::file_size(book)) / 1e6);
    std::printf("save                          %.3f s\n", save);

    // The two steps of a save, apart.
    start = Clock::now();
    const ZuBookSnapshot snapshot =
        takeSnapshot(tree, hotFolders, shared, std::nullopt, TCompressionLevel::fcMaximum);
    const double snap = seconds(start);
    const std::string& table = snapshot.entries.front().bytes;
    std::printf("snapshot (calling thread)     %.3f s  (node stream %.1f MB)\n", snap,
                static_cast<double>(table.size()) / 1e6);
    const DeflateEngine engines[2] = {DeflateEngine::Zlib, DeflateEngine::Libdeflate};
    const char* const names[2] = {"zlib", "libdeflate"};
    const int engineCount = haveLibdeflate() ? 2 : 1;
    // The node stream alone at each level the archive uses, both engines on the same bytes.
    for (const int level : {1, -1, 9}) {
        double took[2] = {};
        for (int e = 0; e < engineCount; ++e) {
            start = Clock::now();
            const auto packed = deflateSmaller(table, level, engines[e]);
            took[e] = seconds(start);
            std::printf("node stream, level %2d, %-10s %.3f s  -> %.2f MB\n", level, names[e],
                        took[e], packed ? static_cast<double>(packed->size()) / 1e6 : 0.0);
            // The other engine must read what this one wrote.
            if (!packed || inflateWhole(*packed, table.size(), engines[1 - e]) != table) {
                std::printf("stream of %s not read back\n", names[e]);
                return 1;
            }
        }
        if (engineCount == 2) {
            std::printf("zlib / libdeflate at level %2d  %.2fx\n", level, took[0] / took[1]);
        }
    }
    // The worker's whole step at the program's level: compress every entry and write.
    for (int e = 0; e < engineCount; ++e) {
        start = Clock::now();
        writeArchive(book, snapshot.entries, TCompressionLevel::fcMaximum, engines[e]);
        std::printf("compress + write, %-10s    %.3f s  (%.2f MB file)\n", names[e], seconds(start),
                    static_cast<double>(std::filesystem::file_size(book)) / 1e6);
    }

    for (bool check : {false, true}) {
        links.enabled = check;
        start = Clock::now();
        if (!doc.load(book)) {
            return 1;
        }
        std::printf("load %-24s %.3f s\n", check ? "with the link check" : "without the link check",
                    seconds(start));
    }

    std::vector<std::string> paths;
    tree.forEachInFlatOrder([&](Node* n) {
        paths.emplace_back(n->text(kColPath));
        return true;
    });
    start = Clock::now();
    std::size_t present = 0;
    for (const auto& p : paths) {
        struct stat st {};
        present += (!p.empty() && ::stat(p.c_str(), &st) == 0) ? 1 : 0;
    }
    const double statLoop = seconds(start);
    start = Clock::now();
    checkLinks(tree, icons);
    const double check = seconds(start);
    std::printf("link check alone              %.3f s\n", check);
    std::printf("stat() loop, same paths       %.3f s  (%zu present)\n", statLoop, present);
    std::printf("link check / stat loop        %.2fx\n", check / statLoop);
    std::filesystem::remove_all(root);
    return 0;
}
