// Saves and loads a 1,000,000-node ZuBook with typical texts, with and without the link
// check, and times the link check against a plain stat() loop over the same paths.

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

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
