// Writes and reads the node stream of a 1,000,000-node tree with typical texts, each phase in
// a process of its own so that its peak memory is its own. Baseline: copying the same number
// of bytes in memory.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "common/stream.h"
#include "model/node_stream.h"

using namespace tarnu;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 999;  // 1000 folders + 999,000 files = 1,000,000 nodes

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::string word(std::mt19937& rng, int length) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJ0123456789_-";
    std::string s(static_cast<std::size_t>(length), 'a');
    for (auto& c : s) {
        c = letters[rng() % (sizeof letters - 1)];
    }
    return s;
}

void buildTree(ZuTree& tree) {
    std::mt19937 rng(42);
    for (int f = 0; f < kFolders; ++f) {
        Node* folder = tree.addChild(nullptr);
        tree.setText(folder, kColCaption, ":" + word(rng, 11));
        tree.setText(folder, kColKind, kKindZuFolder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            Node* file = tree.addChild(folder);
            std::string name = word(rng, 12);
            tree.setText(file, kColCaption, name);
            tree.setText(file, kColPath,
                         "/home/user/" + word(rng, 12) + "/" + word(rng, 18) + "/" + name + ".txt");
            tree.setText(file, kColLock, "No");
            tree.setText(file, kColKind, kKindFile);
        }
    }
}

const char* streamPath() {
    static std::string path = "/tmp/tarnu_bench_nodes_" + std::to_string(getpid()) + ".bin";
    return path.c_str();
}

int writePhase() {
    AsciiCollation collation;
    ZuTree tree(collation);
    buildTree(tree);
    MemoryStream out;
    auto start = Clock::now();
    writeNodeStream(tree, out);
    double write = seconds(start);
    double peak = peakMegabytes();

    std::string copy;
    start = Clock::now();
    copy.resize(out.bytes().size());
    std::memcpy(copy.data(), out.bytes().data(), copy.size());
    double baseline = seconds(start);

    FILE* f = std::fopen(streamPath(), "wb");
    std::fwrite(out.bytes().data(), 1, out.bytes().size(), f);
    std::fclose(f);
    std::printf("write: %zu nodes, %.1f MB stream, %.3f s (%.1fx a plain copy), peak %.0f MB\n",
                tree.nodeCount(), static_cast<double>(out.size()) / 1e6, write, write / baseline,
                peak);
    return 0;
}

int readPhase(const Collation& collation, const char* label) {
    std::string bytes;
    {
        FILE* f = std::fopen(streamPath(), "rb");
        std::fseek(f, 0, SEEK_END);
        bytes.resize(static_cast<std::size_t>(std::ftell(f)));
        std::fseek(f, 0, SEEK_SET);
        if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
            return 1;
        }
        std::fclose(f);
    }
    MemoryStream in(std::move(bytes));
    ZuTree tree(collation);
    auto start = Clock::now();
    readNodeStream(tree, in);
    double read = seconds(start);
    start = Clock::now();
    std::size_t visited = 0;
    tree.forEachInFlatOrder([&](Node*) {
        ++visited;
        return true;
    });  // sorts every child list on the way
    double sort = seconds(start);
    std::printf("read (%s): %zu nodes, read %.3f s + sort %.3f s = %.3f s, peak %.0f MB\n", label,
                visited, read, sort, read + sort, peakMegabytes());
    return 0;
}

template <typename F>
void inChild(F f) {
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        int rc = f();
        std::fflush(stdout);
        std::_Exit(rc);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

}  // namespace

int main() {
    streamPath();  // named once, by this process
    inChild(writePhase);
    inChild([] { return readPhase(AsciiCollation(), "ASCII collation"); });
    inChild([] { return readPhase(LocaleCollation("C.UTF-8"), "locale collation C.UTF-8"); });
    std::remove(streamPath());
    return 0;
}
