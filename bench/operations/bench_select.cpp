// Selects by criteria over a ZuBook of 1,000,000 nodes and times it against a bare loop of
// the wildcard match over the same captions, each the best of three runs.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "model/wildcard.h"
#include "operations/selection.h"

using namespace tarnu;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 999;
constexpr int kRuns = 3;
const char* kExtensions[] = {".txt", ".jpg", ".pdf", ".doc", ".png"};

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main() {
    AsciiCollation collation;
    ZuTree tree(collation);
    for (int f = 0; f < kFolders; ++f) {
        Node* folder = tree.addChild(nullptr);
        tree.setText(folder, kColCaption, ":Folder " + std::to_string(f));
        tree.setText(folder, kColKind, kKindZuFolder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            Node* file = tree.addChild(folder);
            const std::string name = "file-" + std::to_string(i) + kExtensions[i % 5];
            tree.setText(file, kColCaption, name);
            tree.setText(file, kColPath, "/home/user/data/" + name);
            tree.setText(file, kColKind, kKindFile);
        }
    }
    tree.sortPending();
    std::vector<std::string> captions;
    tree.forEachInFlatOrder([&](Node* node) {
        captions.emplace_back(node->text(kColCaption));
        return true;
    });

    const SelectionCriteria criteria{
        "*5.TXT", true, false, false, false, false, MatchedText::Caption};
    double bare = 1e9;
    std::size_t matches = 0;
    for (int r = 0; r < kRuns; ++r) {
        auto start = Clock::now();
        matches = 0;
        for (const std::string& caption : captions) {
            matches += wildcardMatch(criteria.pattern, caption, criteria.caseSensitive) ? 1 : 0;
        }
        bare = std::min(bare, seconds(start));
    }
    double select = 1e9;
    std::size_t selected = 0;
    for (int r = 0; r < kRuns; ++r) {
        auto start = Clock::now();
        selected = selectByCriteria(tree, criteria);
        select = std::min(select, seconds(start));
    }
    std::printf("nodes                              %zu\n", tree.nodeCount());
    std::printf("matching captions / selected       %zu / %zu\n", matches, selected);
    std::printf("wildcard loop (best of %d)          %.3f s\n", kRuns, bare);
    std::printf("select by criteria (best of %d)     %.3f s\n", kRuns, select);
    std::printf("select by criteria / wildcard loop %.2fx\n", select / bare);
    return 0;
}
