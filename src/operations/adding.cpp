#include "operations/adding.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "common/path.h"
#include "operations/pump_throttle.h"

namespace tarnu {

namespace {

constexpr std::string_view kNo = "No";

struct DirEntry {
    std::string name;
    bool directory = false;
};

// What a directory is, whatever path leads to it.
struct DirectoryId {
    dev_t device;
    ino_t inode;
    bool operator==(const DirectoryId&) const = default;
};

std::optional<DirectoryId> directoryId(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return DirectoryId{st.st_dev, st.st_ino};
}

// Every entry of a directory (hidden ones too) in the order the file system gives them;
// nothing when it cannot be listed.
std::vector<DirEntry> listDirectory(const std::string& dir) {
    namespace fs = std::filesystem;
    std::vector<DirEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string& full = it->path().native();
        DirEntry entry;
        entry.name = full.substr(full.rfind(path::kSeparator) + 1);
        std::error_code typeError;
        entry.directory = it->is_directory(typeError);  // follows a link; a broken one is a file
        entries.push_back(std::move(entry));
    }
    return entries;
}

// The recursive part of "Add folder": subdirectories first, each with its whole subtree,
// then the files. Linked directories are entered too; one that is already open further up
// (a link pointing back up) becomes a Folder node that is not entered, so the scan ends.
class FolderScan {
public:
    FolderScan(const AddingParts& parts, const AddOptions& options)
        : parts_(parts), options_(options), throttle_(parts.pump, parts.pumpInterval) {}

    void scan(const std::string& dir, Node* parent) {
        const std::optional<DirectoryId> id = directoryId(dir);
        if (id && std::find(open_.begin(), open_.end(), *id) != open_.end()) {
            return;
        }
        if (id) {
            open_.push_back(*id);
        }
        scanEntries(dir, parent);
        if (id) {
            open_.pop_back();
        }
    }

    bool stopped() const { return stopped_; }

private:
    void scanEntries(const std::string& dir, Node* parent) {
        parts_.ui.setStatus(kAddStatusPanel, std::string(kAddStatusPrefix) + dir);
        if (!options_.recurse && !options_.addFiles) {
            return;
        }
        std::string base = dir;
        while (!base.empty() && base.back() == path::kSeparator) {
            base.pop_back();
        }
        base += path::kSeparator;
        auto entries = listDirectory(dir);
        if (options_.recurse) {
            for (const DirEntry& entry : entries) {
                if (!entry.directory) {
                    continue;
                }
                Node* child =
                    addNode(parent, ":" + entry.name, base + entry.name, NodeKind::Folder);
                scan(base + entry.name, child);
                if (!proceed()) {
                    return;
                }
            }
        }
        if (options_.addFiles) {
            for (const DirEntry& entry : entries) {
                if (entry.directory) {
                    continue;
                }
                addNode(parent, fileLinkCaption(entry.name, options_.delExt), base + entry.name,
                        NodeKind::File);
                if (!proceed()) {
                    return;
                }
            }
        }
    }

    Node* addNode(Node* parent, std::string caption, std::string fullPath, NodeKind kind) {
        Node* node = parts_.tree.addChild(parent);
        values_[kColCaption] = std::move(caption);
        values_[kColPath] = std::move(fullPath);
        values_[kColLock] = kind == NodeKind::File ? kNo : std::string_view();
        values_[kColKind] = kindText(kind);
        parts_.tree.setTexts(node, values_);
        parts_.icons.applyIconRule(*node);
        parts_.document.countAdded(kind);
        return node;
    }

    bool proceed() {
        if (!stopped_) {
            throttle_.tick();
            stopped_ = parts_.busy.stopRequested();
        }
        return !stopped_;
    }

    const AddingParts& parts_;
    AddOptions options_;
    PumpThrottle throttle_;
    std::array<std::string, kColKind + 1> values_;
    std::vector<DirectoryId> open_;  // the directories being scanned, outermost first
    bool stopped_ = false;
};

}  // namespace

Node* firstSelected(const ZuTree& tree) {
    return tree.selectionCount() == 0 ? nullptr : tree.selection().front();
}

AddOptionsCopy::AddOptionsCopy(const Settings& settings)
    : options_{settings.recurce, settings.addFiles, settings.delExt, settings.ask} {}

void AddOptionsCopy::saveInto(Settings& settings) const {
    settings.recurce = options_.recurse;
    settings.addFiles = options_.addFiles;
    settings.delExt = options_.delExt;
    settings.ask = options_.ask;
}

std::string fileLinkCaption(std::string_view filePath, bool cutExtension) {
    std::string caption(path::fileName(filePath));
    if (cutExtension) {
        // ".profile" names a file that has no extension; cutting would leave nothing.
        auto dot = caption.rfind('.');
        if (dot != std::string::npos && dot > 0) {
            caption.resize(dot);
        }
    }
    std::replace(caption.begin(), caption.end(), '#', '_');
    std::replace(caption.begin(), caption.end(), '&', '_');
    return caption;
}

std::string folderCaption(std::string_view dirPath) {
    if (dirPath.size() == 1 && dirPath.front() == path::kSeparator) {
        return ":/";
    }
    return ":" + std::string(path::fileName(dirPath));
}

ZuBookAdder::ZuBookAdder(AddingParts parts) : parts_(std::move(parts)) {}

Node* ZuBookAdder::insertionPoint() {
    Node* parent = firstSelected(parts_.tree);
    while (parent && parent->kind() != NodeKind::ZuFolder) {
        parent = parent->parent();
    }
    return parts_.tree.addChild(parent);
}

void ZuBookAdder::fillFileLink(const std::string& filePath, Node* node) {
    if (!parts_.document.isOpen()) {
        return;
    }
    const std::array<std::string, kColKind + 1> values{
        fileLinkCaption(filePath, parts_.settings.delExt), filePath, std::string(kNo), "",
        std::string(kKindFile)};
    parts_.tree.setTexts(node, values);
    parts_.icons.applyIconRule(*node);
}

void ZuBookAdder::addLinkToFile(const std::string& filePath, bool refreshSummary) {
    if (!parts_.document.isOpen()) {
        return;
    }
    Node* node = insertionPoint();
    fillFileLink(filePath, node);
    if (parts_.view) {
        parts_.view->reveal(*node);
    }
    parts_.document.countAdded(NodeKind::File);
    if (refreshSummary) {
        parts_.document.recount();
    }
}

void ZuBookAdder::aAddFilesExecute() {
    FileDialogOptions options;
    options.filter = kAddFilesFilter;
    options.defaultExt = "*.*";
    options.startDir = path::usablePath(parts_.settings.defDir, parts_.programDir);
    options.multiSelect = true;
    options.mustExist = true;
    auto files = parts_.ui.chooseOpenFiles(options);
    if (files.empty() || !parts_.document.isOpen()) {
        return;
    }
    TreeViewUpdate update(parts_.view);
    Node* remembered = firstSelected(parts_.tree);
    for (const std::string& file : files) {
        addLinkToFile(file, false);
    }
    parts_.document.recount();
    if (remembered) {
        parts_.tree.setExpanded(remembered, true);
    }
    parts_.document.autoSave();
}

void ZuBookAdder::aAddFolderExecute() {
    auto dir = parts_.ui.chooseFolder(kChooseFolderTitle, "");
    if (!dir) {
        return;
    }
    addFolder(*dir);
    parts_.document.recount();
}

bool ZuBookAdder::addFolder(const std::string& dir) {
    // A second scan inside the first one's event pump would fill the tree twice over.
    if (scanning_.busy() || !parts_.document.isOpen()) {
        return false;
    }
    if (parts_.settings.ask && parts_.showAddOptions && !parts_.showAddOptions(parts_.addOptions)) {
        return false;
    }
    // The dialog ran the event loop: the ZuBook may have been closed meanwhile.
    if (!parts_.document.isOpen()) {
        return false;
    }
    addFolderNode(dir);
    return true;
}

void ZuBookAdder::addFolderNode(const std::string& dir) {
    TreeBusy::Hold hold(parts_.busy);
    TreeBusy::Hold scanning(scanning_);
    TreeViewUpdate update(parts_.view, true);

    Node* node = insertionPoint();
    const std::array<std::string, kColKind + 1> values{folderCaption(dir), dir, "", "",
                                                       std::string(kKindFolder)};
    parts_.tree.setTexts(node, values);
    parts_.icons.applyIconRule(*node);
    parts_.document.countAdded(NodeKind::Folder);

    FolderScan scan(parts_, parts_.addOptions.options());
    scan.scan(dir, node);
    parts_.ui.setStatus(kAddStatusPanel, "");
    if (node->parent()) {
        parts_.tree.setExpanded(node->parent(), true);
    }
    parts_.tree.setExpanded(node, true);
    // A scan stopped for a closing program is not saved: the ZuBook closes without saving.
    if (!scan.stopped()) {
        parts_.document.autoSave();
    }
}

}  // namespace tarnu
