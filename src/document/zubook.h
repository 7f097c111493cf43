#pragma once

// The open ZuBook: new, load, save, save as, close and auto-save, the caption that names it
// and the summary counters. At most one ZuBook is open at a time.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "archive/zlb_archive.h"
#include "document/hot_folders.h"
#include "document/link_record_services.h"
#include "document/message_source.h"
#include "document/shared_files.h"
#include "model/icon_cache.h"
#include "model/tree.h"
#include "platform/ui.h"

namespace tarnu {

struct ZuBookSnapshot;

inline constexpr std::string_view kNoZuBookCaption = "Tarnu";
inline constexpr std::string_view kZuBookCaptionPrefix = "Tarnu - ";
inline constexpr std::string_view kZuBookFilter = "Tarnu files (*.dua)|*.dua|All files (*.*)|*.*";
inline constexpr std::string_view kSaveAsFilter = kZuBookFilter;

struct SummaryCounts {
    std::uint16_t zuFolders = 0;
    std::uint16_t folders = 0;
    std::uint16_t files = 0;
};

// What the window does around the document; every call is optional.
class ZuBookListener {
public:
    virtual ~ZuBookListener() = default;
    virtual void captionChanged(std::string_view /*caption*/) {}
    // Shows or hides the ZuBook menus, side bar and pages.
    virtual void zuBookPartsShown(bool /*shown*/) {}
    // Closing a ZuBook stops sharing and transfers, and returns to the first tab.
    virtual void zuBookClosing() {}
    // After a load: select the first node and the shared root, show the comment panel.
    virtual void zuBookLoaded() {}
    virtual void summaryChanged(const SummaryCounts& /*counts*/) {}
};

struct ZuBookParts {
    ZuTree& tree;
    IconCache& icons;
    TZLBArchive& archive;
    HotFolderTable& hotFolders;
    SharedTree& shared;
    LinkRecordServices& links;
    Ui& ui;
    MessageSource& messages;
    std::string programDir;
    // Settings read at the moment they matter.
    std::function<bool()> autoSaveOnChanges = [] { return false; };
    std::function<std::string()> saveDir = [] { return std::string(); };
    // Lets the window paint while a save is written on a worker; none: the save blocks.
    std::function<void()> letWindowRun = nullptr;
    // Called before every save, so that edits still held by a view reach the tree.
    std::function<void()> beforeSave = nullptr;
};

class ZuBookDocument : private TreeObserver {
public:
    explicit ZuBookDocument(ZuBookParts parts);
    ~ZuBookDocument() override;
    ZuBookDocument(const ZuBookDocument&) = delete;
    ZuBookDocument& operator=(const ZuBookDocument&) = delete;

    void setListener(ZuBookListener* listener) { listener_ = listener ? listener : &silent_; }

    const std::string& caption() const { return caption_; }
    bool isOpen() const { return caption_ != kNoZuBookCaption; }
    // The file the caption names, a bare name taken in the program directory.
    std::string currentPath() const;

    // Changed since it was loaded, made or last saved. The window's caption ends in " *".
    bool isModified() const { return modified_; }
    // Before the open ZuBook goes: unsaved changes are saved (auto-save on) or the user is
    // asked Save, Discard or Cancel. True when the ZuBook may go.
    bool confirmClose();

    const SummaryCounts& counts() const { return counts_; }
    void recount();
    // A command created a node of this kind.
    void countAdded(NodeKind kind);

    void newZuBook();
    // False, with the error shown and no ZuBook open, when the file cannot be loaded.
    bool load(const std::string& path);
    // Writes the ZuBook to path; false, with the error shown, when it could not. The old file
    // is replaced only by a complete new one.
    bool save(const std::string& path);
    void close();

    void loadMenu();
    void saveMenu();
    void saveAs();
    void autoSave();

private:
    // TreeObserver: what changes the tree's content makes the ZuBook modified.
    void nodeInserted() override { setModified(true); }
    void nodeRemoved() override { setModified(true); }
    void nodeMoved() override { setModified(true); }
    void nodeChanged(const Node*) override { setModified(true); }
    // The marks the check after a load gives are worked out anew at every load.
    void nodePictureChanged(const Node*) override {
        if (!checkingLoaded_) {
            setModified(true);
        }
    }

    void setModified(bool modified);
    // Reads the file's tree, records and shared tree; returns the shared tree's error, which
    // does not fail the load.
    std::optional<std::string> readTree(const std::string& path);
    void writeOffThisThread(const ZuBookSnapshot& snapshot, const std::string& path);
    void applyLinkRecords(const std::string& itemRec, const std::vector<Node*>& order);
    FileDialogOptions dialogOptions(std::string_view filter) const;
    void setCaption(std::string caption);
    void showParts(bool shown);

    ZuBookParts parts_;
    ZuBookListener silent_;
    ZuBookListener* listener_ = &silent_;
    std::string caption_{kNoZuBookCaption};
    SummaryCounts counts_;
    bool modified_ = false;
    bool checkingLoaded_ = false;
};

}  // namespace tarnu
