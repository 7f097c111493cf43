// tarnu-catalog: prints, fills and searches the disc catalog from scripts and cron jobs.

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cdcatalog/cd_catalog.h"
#include "common/app_dirs.h"
#include "common/error.h"
#include "model/wildcard.h"

namespace {

using tarnu::CatalogLevel;
using tarnu::CatalogNode;
using tarnu::CdCatalog;

constexpr const char* kUsage =
    "usage: tarnu-catalog [--store FILE] tree\n"
    "       tarnu-catalog [--store FILE] add CATALOG DIR [--name NAME]\n"
    "       tarnu-catalog [--store FILE] ls CD[/PATH]\n"
    "       tarnu-catalog [--store FILE] find TEXT\n";

// Prompts have nobody to answer them: everything is cancelled, messages go to stderr.
class ConsoleUi final : public tarnu::Ui {
public:
    void showMessage(std::string_view text) override { print(text); }
    void showError(std::string_view text) override { print(text); }
    bool confirm(std::string_view) override { return false; }
    tarnu::SaveChoice askSaveChanges(std::string_view) override {
        return tarnu::SaveChoice::Cancel;
    }
    std::optional<std::string> inputBox(std::string_view, std::string_view,
                                        std::string_view) override {
        return std::nullopt;
    }
    std::vector<std::string> chooseOpenFiles(const tarnu::FileDialogOptions&) override {
        return {};
    }
    std::optional<std::string> chooseSaveFile(const tarnu::FileDialogOptions&) override {
        return std::nullopt;
    }
    std::optional<std::string> chooseFolder(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void setStatus(int, std::string_view) override {}

private:
    static void print(std::string_view text) {
        std::fprintf(stderr, "tarnu-catalog: %.*s\n", static_cast<int>(text.size()), text.data());
    }
};

void printLine(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

std::string defaultDataDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return tarnu::appDirsFromEnvironment(exe.parent_path().string()).userDataDir + "/Data";
}

const CatalogNode* findChild(const std::vector<std::unique_ptr<CatalogNode>>& list,
                             std::string_view text) {
    for (const auto& node : list) {
        if (node->text() == text) {
            return node.get();
        }
    }
    return nullptr;
}

// The path of a node below its catalog: CD/dir/dir.
std::string pathOf(const CatalogNode& node) {
    std::string path = node.text();
    for (const CatalogNode* p = node.parent(); p && p->parent(); p = p->parent()) {
        path = p->text() + "/" + path;
    }
    return path;
}

int tree(CdCatalog& catalog) {
    for (const CatalogNode* n = catalog.tree().first(); n; n = catalog.tree().next(n)) {
        printLine(std::string(static_cast<std::size_t>(n->level()) * 2, ' ') + n->text());
    }
    return 0;
}

int add(CdCatalog& catalog, const std::vector<std::string>& args) {
    if (args.size() != 2 && !(args.size() == 4 && args[2] == "--name")) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const CatalogNode* parent = findChild(catalog.tree().roots(), args[0]);
    if (!parent) {
        throw tarnu::Error("no catalog named " + args[0]);
    }
    const CatalogNode* cd = catalog.addDirectory(parent, args[1], args.size() == 4 ? args[3] : "");
    printLine(cd->text());
    return 0;
}

int list(CdCatalog& catalog, const std::string& where) {
    const std::size_t slash = where.find('/');
    const std::string cdName = where.substr(0, slash);
    const CatalogNode* node = nullptr;
    for (const CatalogNode* cd : catalog.tree().cds()) {
        if (cd->text() == cdName) {
            node = cd;
        }
    }
    std::string rest = slash == std::string::npos ? std::string() : where.substr(slash + 1);
    while (node && !rest.empty()) {
        const std::size_t next = rest.find('/');
        node = findChild(node->children(), rest.substr(0, next));
        rest = next == std::string::npos ? std::string() : rest.substr(next + 1);
    }
    if (!node) {
        throw tarnu::Error("no CD or directory " + where);
    }
    catalog.select(node);
    for (const auto& item : catalog.list()) {
        printLine(item.directory ? item.caption.substr(1) + "/" : item.caption);
    }
    return 0;
}

int find(CdCatalog& catalog, const std::string& text) {
    const std::string pattern = "*" + text.substr(0, 255) + "*";
    for (const CatalogNode* n = catalog.tree().first(); n; n = catalog.tree().next(n)) {
        if (n->kind() == CatalogLevel::Catalog) {
            continue;
        }
        catalog.select(n);
        for (const auto& item : catalog.list()) {
            if (tarnu::wildcardMatch(pattern, item.caption, false)) {
                printLine(pathOf(*n) + "/" +
                          (item.directory ? item.caption.substr(1) + "/" : item.caption));
            }
        }
    }
    return 0;
}

int run(std::vector<std::string> args) {
    std::string store;
    if (args.size() >= 2 && args[0] == "--store") {
        store = std::filesystem::absolute(args[1]).string();
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string dataDir =
        store.empty() ? defaultDataDir() : std::filesystem::path(store).parent_path().string();
    ConsoleUi ui;
    const tarnu::LocaleCollation collation;
    CdCatalog catalog(dataDir, collation, ui, store);
    catalog.showPage();
    const std::string command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "tree" && rest.empty()) {
        return tree(catalog);
    }
    if (command == "add") {
        return add(catalog, rest);
    }
    if (command == "ls" && rest.size() == 1) {
        return list(catalog, rest[0]);
    }
    if (command == "find" && rest.size() == 1) {
        return find(catalog, rest[0]);
    }
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarnu-catalog: %s\n", e.what());
        return 1;
    }
}
