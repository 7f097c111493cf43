#include "cdcatalog/cd_catalog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "common/atomic_file.h"
#include "common/error.h"

namespace tarnu {

namespace {

constexpr std::string_view kStoreName = "CDBase.qcb";
constexpr std::string_view kScratchName = "_CD_.cd";
constexpr std::string_view kNewCatalog = "CDCatalog";
constexpr std::string_view kBackupFilter =
    "Tarnu CD Base Backup (*.qcbb)|*.qcbb|All Files (*.*)|*.*";
// Entry names hold 255 bytes: the CD name leaves room for ".cd".
constexpr std::size_t kMaxCdName = 200;

std::string readWholeFile(const std::string& path) {
    FileStream in(path, FileStream::Mode::Read);
    std::string bytes(static_cast<std::size_t>(in.size()), '\0');
    in.readExact(bytes.data(), bytes.size());
    return bytes;
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

CdCatalog::CdCatalog(std::string dataDir, const Collation& collation, Ui& ui, std::string storePath)
    : dataDir_(std::move(dataDir)),
      collation_(collation),
      ui_(ui),
      store_(storePath.empty() ? dataDir_ + "/" + std::string(kStoreName) : std::move(storePath)),
      tree_(collation) {}

std::string CdCatalog::scratchPath() const {
    return dataDir_ + "/" + std::string(kScratchName);
}

bool CdCatalog::contains(const CatalogNode* node) const {
    for (const CatalogNode* n = tree_.first(); n; n = tree_.next(n)) {
        if (n == node) {
            return true;
        }
    }
    return false;
}

CatalogNode* CdCatalog::mutableNode(const CatalogNode* node) {
    // The tree hands out const nodes to views; commands change them through the tree.
    return const_cast<CatalogNode*>(node);
}

void CdCatalog::saveTree() {
    store_.saveTree(tree_.toText());
}

void CdCatalog::forgetListing() {
    listingCd_ = nullptr;
    listing_.reset();
}

void CdCatalog::reset() {
    ++generation_;
    selected_ = nullptr;
    list_.clear();
    selectedItem_ = -1;
    forgetListing();
}

void CdCatalog::showPage() {
    reset();
    tree_.clear();
    std::filesystem::create_directories(dataDir_);
    try {
        if (!store_.exists()) {
            for (const char* name : {"Music", "Soft", "Video"}) {
                tree_.add(nullptr, name);
            }
            saveTree();
        }
        tree_.clear();
        if (auto text = store_.loadTree()) {
            tree_.loadText(*text);
        }
    } catch (const Error&) {
        if (onTreeReset) {
            onTreeReset();
        }
        throw;
    }
    if (onTreeReset) {
        onTreeReset();
    }
}

CatalogNode* CdCatalog::addCatalog() {
    CatalogNode* node = tree_.add(nullptr, std::string(kNewCatalog));
    saveTree();
    return node;
}

bool CdCatalog::renameInPlace(const CatalogNode* node, std::string text) {
    // CD and directory names key the listings; an empty name would not read back.
    if (!node || node->kind() != CatalogLevel::Catalog || text.empty()) {
        return false;
    }
    tree_.rename(mutableNode(node), std::move(text));
    saveTree();
    return true;
}

void CdCatalog::deleteCatalog(const CatalogNode* node) {
    if (!node || node->kind() != CatalogLevel::Catalog) {
        return;
    }
    for (const auto& cd : node->children()) {
        store_.deleteListing(cd->text());
    }
    removeNode(node);
}

void CdCatalog::removeNode(const CatalogNode* node) {
    reset();
    tree_.remove(node);
    saveTree();
    if (onTreeReset) {
        onTreeReset();
    }
}

void CdCatalog::deleteCd(const CatalogNode* node) {
    if (!node || node->kind() != CatalogLevel::Cd) {
        return;
    }
    store_.deleteListing(node->text());
    removeNode(node);
}

void CdCatalog::deleteKey(const CatalogNode* node) {
    if (node && node->kind() == CatalogLevel::Catalog) {
        deleteCatalog(node);
    } else if (node && node->kind() == CatalogLevel::Cd) {
        deleteCd(node);
    }
}

void CdCatalog::deleteCdButton(const CatalogNode* node) {
    if (node && node->kind() == CatalogLevel::Cd) {
        deleteCd(node);
    }
}

std::vector<std::string> CdCatalog::filesOf(const CatalogNode& node) {
    const CatalogNode* cd = node.cd();
    if (!cd) {
        return {};
    }
    if (listingCd_ != cd) {
        forgetListing();
        if (auto text = store_.readListing(cd->text())) {
            listing_ = CdListing::fromText(*text);
        }
        listingCd_ = cd;
    }
    return listing_ ? listing_->files(sectionName(node)) : std::vector<std::string>{};
}

void CdCatalog::select(const CatalogNode* node) {
    if (node == selected_ && node) {
        return;  // the list and its selected item stay
    }
    selected_ = node;
    list_.clear();
    selectedItem_ = -1;
    if (node && node->kind() != CatalogLevel::Catalog) {
        for (const auto& child : node->children()) {
            list_.push_back({":" + child->text(), true});
        }
        std::vector<std::string> files = filesOf(*node);
        std::stable_sort(files.begin(), files.end(), [&](const auto& a, const auto& b) {
            return collation_.compare(a, b) < 0;
        });
        for (auto& file : files) {
            list_.push_back({std::move(file), false});
        }
    }
    if (onListChanged) {
        onListChanged();
    }
}

void CdCatalog::makeBackup() {
    if (!store_.exists()) {
        return;
    }
    const auto name = ui_.inputBox("CD catalog", "Backup file name", "CDBaseBackup");
    if (!name) {
        return;
    }
    // Only a file name: backups stay in the data directory.
    std::filesystem::path file = std::filesystem::path(*name).filename();
    if (file.empty() || file == "." || file == "..") {
        ui_.showError("\"" + *name + "\" is not a usable backup file name.");
        return;
    }
    file.replace_extension(".qcbb");
    const std::string target = dataDir_ + "/" + file.string();
    if (pathExists(target)) {
        ui_.showMessage("The backup " + target + " exists already and was left unchanged.");
        return;
    }
    try {
        writeFileAtomically(target, readWholeFile(store_.path()));
    } catch (const Error& e) {
        ui_.showError("The backup " + target + " could not be written: " + e.what());
    }
}

void CdCatalog::restoreFromBackup() {
    FileDialogOptions options;
    options.filter = std::string(kBackupFilter);
    options.defaultExt = "qcbb";
    options.startDir = dataDir_;
    options.mustExist = true;
    const auto chosen = ui_.chooseOpenFiles(options);
    if (chosen.empty()) {
        return;
    }
    if (!CatalogStore::isStore(chosen.front())) {
        ui_.showError(chosen.front() +
                      " is not a CD catalog backup; the catalog was left as it was.");
        return;
    }
    writeFileAtomically(store_.path(), readWholeFile(chosen.front()));
    showPage();
}

std::string CdCatalog::uniqueCdName(std::string_view name) const {
    std::vector<std::string> taken;
    for (const CatalogNode* cd : tree_.cds()) {
        taken.push_back(foldAsciiCase(cd->text()));
    }
    const auto isTaken = [&](const std::string& candidate) {
        return std::find(taken.begin(), taken.end(), foldAsciiCase(candidate)) != taken.end();
    };
    std::string base(name.substr(0, kMaxCdName));
    if (!isTaken(base)) {
        return base;
    }
    for (std::uint16_t k = 0;; ++k) {
        std::string candidate = "(" + std::to_string(k) + ")" + base;
        if (!isTaken(candidate) || k == 0xFFFF) {
            return candidate;
        }
    }
}

void CdCatalog::addDirectories(CatalogNode* parent, const ScannedDirectory& dir) {
    for (const auto& child : dir.children) {
        addDirectories(tree_.add(parent, child.name), child);
    }
}

const CatalogNode* CdCatalog::storeScan(const CatalogNode* catalog, const ScanResult& scan) {
    if (!catalog || !contains(catalog) || catalog->kind() != CatalogLevel::Catalog) {
        throw Error("The catalog was removed while the volume was read; nothing was added.");
    }
    if (tree_.hasCd(scan.root.name) || uniqueCdName(scan.root.name) != scan.root.name) {
        throw Error("A CD named " + scan.root.name +
                    " was added while the volume was read; nothing was added.");
    }
    CatalogNode* cd = tree_.add(mutableNode(catalog), scan.root.name);
    addDirectories(cd, scan.root);
    ui_.setStatus(kCatalogStatusPanel, "");
    saveTree();
    if (onTreeReset) {
        onTreeReset();
    }
    if (scan.listing.empty()) {
        return cd;  // a volume without files has no listing
    }
    // A fresh scratch file each time: nothing of an interrupted scan leaks into this one.
    const std::string text = scan.listing.toText();
    writeFileAtomically(scratchPath(), text);
    store_.addListing(cd->text(), text);
    ::unlink(scratchPath().c_str());
    return cd;
}

const CatalogNode* CdCatalog::addDirectory(const CatalogNode* catalog, const std::string& path,
                                           std::string_view name) {
    ScanOptions options;
    options.rootPath = path;
    options.cdName = uniqueCdName(name.empty() ? volumeNameOf(path) : name);
    return storeScan(catalog, scanVolume(options));
}

std::string volumeNameOf(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    const std::size_t slash = path.rfind('/');
    std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
    return name.empty() ? std::string("Volume") : name;
}

}  // namespace tarnu
