#include "document/zubook.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <filesystem>
#include <system_error>
#include <thread>

#include "common/error.h"
#include "common/path.h"
#include "common/system_memory.h"
#include "document/messages.h"
#include "document/zubook_entries.h"
#include "document/zubook_file.h"
#include "model/node_stream.h"

namespace tarnu {

namespace {

constexpr std::string_view kDefaultZuBookName = "Default.dua";
constexpr std::string_view kZuBookExtension = ".dua";
constexpr std::string_view kModifiedMark = " *";
constexpr std::string_view kLoadingStatus = "Tarnu load ZuBook...";
constexpr std::string_view kSavingStatus = "Tarnu save ZuBook...";
constexpr int kStatusPanel = 1;

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

}  // namespace

// A name typed without an extension gets ".dua", so that Load finds the file it names.
std::string withZuBookExtension(std::string name) {
    if (path::extension(name).empty()) {
        name += kZuBookExtension;
    }
    return name;
}

ZuBookDocument::ZuBookDocument(ZuBookParts parts) : parts_(std::move(parts)) {
    parts_.tree.addObserver(this);
}

ZuBookDocument::~ZuBookDocument() {
    parts_.tree.removeObserver(this);
}

void ZuBookDocument::setModified(bool modified) {
    if (modified_ != modified && (isOpen() || !modified)) {
        modified_ = modified;
        listener_->captionChanged(modified_ ? caption_ + std::string(kModifiedMark) : caption_);
    }
}

bool ZuBookDocument::confirmClose() {
    if (!isOpen() || !modified_ || parts_.tree.empty()) {
        return true;
    }
    if (parts_.autoSaveOnChanges() && save(currentPath())) {
        return true;
    }
    const std::string question = "Save the changes to " + currentPath() + "?";
    switch (parts_.ui.askSaveChanges(question)) {
        case SaveChoice::Save:
            return save(currentPath());
        case SaveChoice::Discard:
            return true;
        case SaveChoice::Cancel:
            break;
    }
    return false;
}

std::string ZuBookDocument::currentPath() const {
    auto dash = caption_.find('-');
    if (dash == std::string::npos) {
        return {};
    }
    std::string_view text = std::string_view(caption_).substr(dash + 1);
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    return path::usablePath(text, parts_.programDir);
}

void ZuBookDocument::setCaption(std::string caption) {
    caption_ = std::move(caption);
    modified_ = false;
    listener_->captionChanged(caption_);
}

void ZuBookDocument::showParts(bool shown) {
    listener_->zuBookPartsShown(shown);
}

void ZuBookDocument::recount() {
    counts_ = {};
    parts_.tree.forEachInFlatOrder([this](Node* node) {
        countAdded(node->kind());
        return true;
    });
    listener_->summaryChanged(counts_);
}

void ZuBookDocument::countAdded(NodeKind kind) {
    if (kind == NodeKind::ZuFolder) {
        ++counts_.zuFolders;
    } else if (kind == NodeKind::Folder) {
        ++counts_.folders;
    } else if (kind == NodeKind::File) {
        ++counts_.files;
    }
}

void ZuBookDocument::close() {
    counts_ = {};
    showParts(false);
    listener_->zuBookClosing();
    setCaption(std::string(kNoZuBookCaption));
    parts_.tree.clear();  // the tree's delete hook releases hot keys and locks
    parts_.hotFolders.emptyAll();
    parts_.icons.rebuild();
}

void ZuBookDocument::newZuBook() {
    std::string prompt = parts_.messages.message(ask::kTable, ask::kNewZuBookPrompt);
    while (true) {
        auto name = parts_.ui.inputBox(kNoZuBookCaption, prompt, kDefaultZuBookName);
        if (!name) {
            return;
        }
        // A full path is taken as it is: the question must look where the save will write.
        const std::string file = path::usablePath(withZuBookExtension(*name), parts_.programDir);
        if (fileExists(file)) {
            parts_.ui.showMessage(parts_.messages.message(ask::kTable, ask::kZuBookExists));
            continue;
        }
        close();
        setCaption(std::string(kZuBookCaptionPrefix) + path::captionPath(file, parts_.programDir));
        showParts(true);
        recount();
        return;
    }
}

void ZuBookDocument::applyLinkRecords(const std::string& itemRec, const std::vector<Node*>& order) {
    auto records = readItemRecords(itemRec);
    matchItemRecords(order, records, [this](Node& node, const ItemRecord& record) {
        LinkRecord& link = node.ensureLinkRecord();
        link.hotKey = record.hotKey;
        if (record.lockField != 0) {
            parts_.links.relock(node);
        }
        if (link.hotKey != 0 && !parts_.links.registerHotKey(link.hotKey)) {
            parts_.tree.setText(&node, kColHotKey, "");
            link.hotKey = 0;
        }
        if (link.empty()) {
            node.freeLinkRecord();
        }
    });
}

bool ZuBookDocument::load(const std::string& path) {
    close();
    parts_.ui.setStatus(kStatusPanel, kLoadingStatus);
    std::optional<std::string> sharedFailure;
    try {
        sharedFailure = readTree(path);
    } catch (const Error& e) {
        parts_.archive.close();
        parts_.ui.setStatus(kStatusPanel, "");
        close();
        parts_.ui.showError(e.what());
        return false;
    }
    parts_.ui.setStatus(kStatusPanel, "");
    setCaption(std::string(kZuBookCaptionPrefix) + path::captionPath(path, parts_.programDir));
    showParts(true);
    if (sharedFailure) {
        parts_.ui.showError(*sharedFailure);
    }
    recount();
    listener_->zuBookLoaded();
    checkingLoaded_ = true;
    parts_.links.checkLinks();
    checkingLoaded_ = false;
    return true;
}

std::optional<std::string> ZuBookDocument::readTree(const std::string& path) {
    // Views hear of one reset, not of every node read; a failure leaves the tree empty.
    ZuTree::Rebuild rebuild(parts_.tree);
    try {
        ZuBookReader reader(parts_.archive, path);
        std::vector<Node*> order = reader.readTree(parts_.tree, availableMemory());
        // Positions count nodes in the order the saved tree was written, which may differ
        // from this machine's sorting: apply them before anything looks at sorted children.
        applyLinkRecords(reader.itemRecords(order.size()), order);
        if (auto nodesState = reader.nodesState(order.size())) {
            applyNodesState(*nodesState, order);
        }
        if (auto hotFolders = reader.hotFolders(parts_.tree)) {
            parts_.hotFolders.read(parts_.tree, *hotFolders);
        }
        std::vector<Node*>().swap(order);
        std::optional<std::string> sharedFailure;
        try {
            if (auto shared = reader.sharedFiles()) {
                reader.naming([&] {
                    parts_.shared.loadStream(*shared, parts_.icons);
                    shared->finish();
                    return 0;
                });
            }
        } catch (const Error& e) {
            sharedFailure = e.what();
        }
        // The link check that looks at every target comes once the tree is shown, and then
        // changes only the pictures of links found broken.
        parts_.links.givePictures();
        return sharedFailure;
    } catch (const Error&) {
        parts_.tree.clear();  // the delete hook releases what the partial tree took
        throw;
    }
}

bool ZuBookDocument::save(const std::string& path) {
    if (parts_.beforeSave) {
        parts_.beforeSave();
    }
    if (parts_.tree.empty()) {
        return true;
    }
    parts_.ui.setStatus(kStatusPanel, kSavingStatus);
    try {
        ZuBookSnapshot snapshot =
            takeSnapshot(parts_.tree, parts_.hotFolders, parts_.shared,
                         readPlugInData(parts_.archive, path), parts_.archive.CompressionLevel);
        writeOffThisThread(snapshot, path);
    } catch (const Error& e) {
        parts_.ui.setStatus(kStatusPanel, "");
        parts_.ui.showError(e.what());
        return false;
    }
    parts_.ui.setStatus(kStatusPanel, "");
    setModified(false);
    return true;
}

// Compressing a large ZuBook takes seconds: a worker writes the snapshot while the window
// goes on painting. The snapshot holds bytes only, so the tree may be looked at meanwhile.
void ZuBookDocument::writeOffThisThread(const ZuBookSnapshot& snapshot, const std::string& path) {
    if (!parts_.letWindowRun) {
        writeSnapshot(snapshot, path);
        return;
    }
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            writeSnapshot(snapshot, path);
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true, std::memory_order_release);
    });
    while (!done.load(std::memory_order_acquire)) {
        parts_.letWindowRun();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

FileDialogOptions ZuBookDocument::dialogOptions(std::string_view filter) const {
    FileDialogOptions options;
    options.filter = filter;
    options.defaultExt = "*.dua";
    options.startDir = path::usablePath(parts_.saveDir(), parts_.programDir);
    return options;
}

void ZuBookDocument::loadMenu() {
    FileDialogOptions options = dialogOptions(kZuBookFilter);
    options.mustExist = true;
    auto chosen = parts_.ui.chooseOpenFiles(options);
    if (!chosen.empty()) {
        load(chosen.front());
    }
}

void ZuBookDocument::saveMenu() {
    if (isOpen()) {
        save(currentPath());
    } else {
        saveAs();
    }
}

void ZuBookDocument::saveAs() {
    FileDialogOptions options = dialogOptions(kSaveAsFilter);
    options.confirmOverwrite = true;
    auto chosen = parts_.ui.chooseSaveFile(options);
    if (chosen && save(*chosen)) {
        setCaption(std::string(kZuBookCaptionPrefix) +
                   path::captionPath(*chosen, parts_.programDir));
    }
}

void ZuBookDocument::autoSave() {
    if (parts_.autoSaveOnChanges()) {
        saveMenu();
    }
}

}  // namespace tarnu
