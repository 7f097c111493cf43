#pragma once

// Everything the main window owns for the life of the process, without any widget: the
// ZuBook tree and document, the archive object, the data pack and settings, locks and hot
// keys, hot folders and the shared tree; and the start-up, forwarding and shutdown steps.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/zlb_archive.h"
#include "cdcatalog/catalog_service.h"
#include "document/data_pack.h"
#include "document/hot_folders.h"
#include "document/settings.h"
#include "document/shared_files.h"
#include "document/zubook.h"
#include "model/collation.h"
#include "model/hotkey_text.h"
#include "model/icon_cache.h"
#include "model/tree.h"
#include "operations/adding.h"
#include "operations/editing.h"
#include "operations/favourites.h"
#include "operations/hotkey_commands.h"
#include "operations/hotkey_manager.h"
#include "operations/link_comments.h"
#include "operations/link_opening.h"
#include "operations/link_scans.h"
#include "operations/locking.h"
#include "operations/selection.h"
#include "operations/synchronize.h"
#include "operations/zubook_links.h"
#include "platform/desktop_integration.h"
#include "platform/event_pump.h"
#include "platform/file_locks.h"
#include "platform/global_hot_keys.h"
#include "platform/icons.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "plugins/file_info.h"
#include "plugins/plugin_manager.h"
#include "sharing/sharing_commands.h"

namespace tarnu {

struct CorePorts {
    Icons& icons;
    FileLocks& fileLocks;
    GlobalHotKeys& globalHotKeys;
    DesktopIntegration& desktop;
    Ui& ui;
    Shell& shell;
    EventPump& pump;
    // How often long commands let the window run.
    std::chrono::milliseconds pumpInterval{10};
    // Mounted discs and removable volumes for the disc catalog; none when null.
    Drives* drives = nullptr;
};

// Passes the commands' repaint requests on to whichever view is attached.
class ViewHooksRelay final : public TreeViewHooks {
public:
    void attach(TreeViewHooks* view) { view_ = view; }
    void beginUpdate() override {
        if (view_) {
            view_->beginUpdate();
        }
    }
    void endUpdate() override {
        if (view_) {
            view_->endUpdate();
        }
    }
    void setBusyCursor(bool busy) override {
        if (view_) {
            view_->setBusyCursor(busy);
        }
    }
    void reveal(const Node& node) override {
        if (view_) {
            view_->reveal(node);
        }
    }

private:
    TreeViewHooks* view_ = nullptr;
};

class TarnuCore {
public:
    // The collation and ports must outlive the core. The program files are only read; the
    // user data directory takes every file the program writes. One directory for both is
    // the portable layout.
    TarnuCore(std::string programFilesDir, std::string userDataDir, std::string executable,
              const Collation& collation, CorePorts ports);
    TarnuCore(const std::string& programDir, std::string executable, const Collation& collation,
              CorePorts ports)
        : TarnuCore(programDir, programDir, std::move(executable), collation, ports) {}
    ~TarnuCore();
    TarnuCore(const TarnuCore&) = delete;
    TarnuCore& operator=(const TarnuCore&) = delete;

    // The program directory of the stored-path rules: the user data directory.
    const std::string& programDir() const { return userDataDir_; }
    const std::string& userDataDir() const { return userDataDir_; }
    const std::string& programFilesDir() const { return programFilesDir_; }
    const std::string& executable() const { return executable_; }
    std::string placementFile() const;

    // What views read. The tree is not const: a view follows it as a TreeObserver.
    ZuTree& tree() { return tree_; }
    const ZuBookDocument& document() const { return document_; }
    const Settings& settings() const { return settings_; }
    DataPack& dataPack() { return dataPack_; }
    Ui& ui() { return ports_.ui; }
    Shell& shell() { return ports_.shell; }
    bool isRunAtLogin() const { return ports_.desktop.isRunAtLogin(executable_); }
    THotKeyManager& hotKeys() { return hotKeys_; }
    const HotKeyText& keyText() const { return keyText_; }
    CatalogService& cdCatalog() { return cdCatalog_; }
    SharedTree& sharedTree() { return shared_; }
    SharingCommands& sharing() { return sharing_; }
    // Shares the file links selected in the ZuBook beside or into the focused shared node.
    void shareSelectedFiles(Node* focusedShared) {
        sharing_.shareFiles(tree_.selection(), focusedShared);
    }
    // Removes a shared node and writes the shared tree into the open ZuBook at once.
    void deleteSharedNode(Node* node);

    // What views hang in.
    void setListener(ZuBookListener* listener) { document_.setListener(listener); }
    // A view that repaints around the commands' changes.
    void attachView(TreeViewHooks* view) { viewRelay_.attach(view); }
    // The add-options dialog, shown before "Add folder" while "Ask" is on; "Save current
    // settings and start" writes into the settings it is given.
    using AddOptionsDialog = std::function<bool(AddOptionsCopy&, Settings&)>;
    void setAddOptionsDialog(AddOptionsDialog dialog) { showAddOptions_ = std::move(dialog); }

    // A scan or a prompt holds nodes: the ZuBook may not be closed or replaced meanwhile.
    bool isBusy() const { return busy_.busy(); }
    // Asks a running scan to stop at its next step.
    void requestStop() { busy_.requestStop(); }
    bool mayReplaceZuBook() const { return !busy_.busy(); }

    // The ZuBook as a whole. Each command that closes the open ZuBook first offers to save
    // its unsaved changes and does nothing when the user cancels.
    void newZuBook();
    void loadZuBook();
    // Opens the file (the "-dua" switch); false when it stays closed.
    bool openZuBook(const std::string& path);
    void saveZuBook();
    void saveZuBookAs();
    // The question before the ZuBook goes: true when it may go (saved, discarded, unchanged).
    bool confirmCloseZuBook();
    // Closes without a question.
    void closeZuBook() { document_.close(); }

    // Shaping the tree.
    void newFolder() { editor_.aNewFolderExecute(); }
    void addFiles() { adder_.aAddFilesExecute(); }
    void addFolder() { adder_.aAddFolderExecute(); }
    void deleteSelection(const Node* focused, bool editing) {
        editor_.aDeleteExecute(focused, editing);
    }
    void rename(Node* focused) { editor_.aRenameExecute(focused); }
    std::string captionForEditing(const Node& node) const {
        return editor_.captionForEditing(node);
    }
    void renameInPlace(Node* node, std::string_view text) { editor_.renameNode(node, text); }
    bool canDrop(const Node* target, const Node* focused) const {
        return editor_.canDrop(target, focused);
    }
    void dropSelectionOnto(Node* target) { editor_.moveSelectionOnto(target); }
    void pressedAt(const Node* hit) { editor_.pressedAt(hit); }
    KeyOutcome rightKey(Node* focused) { return editor_.rightKey(focused, false); }
    KeyOutcome leftKey(Node* focused) { return editor_.leftKey(focused, false); }
    KeyOutcome enterKey(Node* focused) { return editor_.enterKey(focused, false); }
    void fullExpand() { editor_.fullExpand(); }
    void fullCollapse() { editor_.fullCollapse(); }
    ContextMenuState contextMenuState() const { return editor_.contextMenuState(); }

    // Hot folders.
    bool bindHotFolder(int digit, bool editing) { return editor_.hotFolderBindKey(digit, editing); }
    bool moveToHotFolder(int digit) { return editor_.hotFolderMoveKey(digit); }
    void resetHotFolders() { hotFolders_.emptyAll(); }
    const HotFolderTable& hotFolders() const { return hotFolders_; }
    void emptyHotFolder(int slot) { hotFolders_.emptySlot(slot); }
    FavouriteBooks& favourites() { return favourites_; }

    // Search, selection and synchronize.
    Node* searchNext(std::string_view text, bool caseSensitive) {
        return tarnu::searchNext(tree_, text, caseSensitive);
    }
    void selectByCriteria(const SelectionCriteria& criteria) {
        tarnu::selectByCriteria(tree_, criteria);
    }
    // The job holds the tree's nodes until it goes.
    std::unique_ptr<SyncJob> prepareSync(SyncChoices choices) {
        return std::make_unique<SyncJob>(tree_, busy_, std::move(choices));
    }

    // Links.
    void lockSelection() { scans_.aLockFilesExecute(); }
    void unlockSelection() { scans_.aUnlockFilesExecute(); }
    void checkLinks() { scans_.aCheckLinksExecute(); }
    void openLink(const Node& node) { opener_.shellOpen(node.text(kColPath)); }
    void doubleClick(Node* focused) { opener_.doubleClick(tree_, focused); }
    void openItem(const Node* focused) { opener_.openItem(focused); }
    // Where plug-ins hang in the default actions of file types.
    LinkOpener& opener() { return opener_; }
    LinkComments& comments() { return comments_; }

    // Hot keys. The dialog is shown modally by the view.
    void setHotKeyDialog(HotKeyCommands::Dialog dialog) { hotKeyDialog_ = std::move(dialog); }
    void setHotKey(Node* focused) { hotKeyCommands_.aSetHotKeyExecute(focused, hotKeyDialog_); }
    void unsetHotKey(Node* focused) { hotKeyCommands_.aUnsetHotKeyExecute(focused); }

    // Plug-ins. The shipped ones live apart from the program files when installed; the
    // registry is read, and an installer's announcement merged, once at start.
    void startPlugIns(const std::string& shippedPlugInDir);
    PlugInManager& plugIns() { return plugIns_; }
    FileInfoView& fileInfo() { return fileInfo_; }

    // Options and workspace.
    // OK in the options dialog: stores the settings and applies run-at-login and the
    // desktop's "add to Tarnu" entries.
    void applyOptions(const Settings& settings, bool runAtLogin);
    void setShowComments(bool shown) { settings_.showComments = shown; }
    void saveColumnWidths(const ColumnWidths& widths);
    // "Reset workspace": forgets the placement; returns the default column widths.
    void resetWorkspace();

    // The steps of creating the main window that need no widget: the user's data pack
    // (copied at first start, restored when damaged and the user agrees), the placement
    // file's minimised state, the first look into the data pack (raises DataPackMissing),
    // the fixed hot key and the ZuBook file type. Returns the three tab captions.
    std::vector<std::string> createMainWindowSteps();

    // Settings, command line and the first ZuBook. Returns whether the program starts
    // hidden. Errors are shown and end the list; start-up goes on.
    bool settingsCommandLineAndFirstZuBook(const std::vector<std::string>& args);

    // A command line forwarded by a second copy: "switch\rargument".
    void handleForwarded(std::string_view text);

    // When the main window goes: the open ZuBook is closed and every hot key released.
    void shutdown();

    // Shows or hides the program (the fixed hot key).
    std::function<void()> onToggleVisibility;

private:
    // Runs the default action plug-in of the file's type; false when the type has none.
    bool runPlugInActionFor(const std::string& path);
    void hotKeyPressed(std::uint32_t value);
    void actOnCommandLine(const std::vector<std::string>& args, bool& hidden);
    void loadDefaultZuBook();
    void prepareUserData();

    std::string programFilesDir_;
    std::string userDataDir_;
    std::string executable_;
    CorePorts ports_;
    ZuTree tree_;
    IconCache icons_;
    TZLBArchive archive_;
    DataPack dataPack_;
    SettingsStore settingsStore_;
    Settings settings_;
    HotKeyText keyText_;
    THotKeyManager hotKeys_;
    LinkLocks locks_;
    HotFolderTable hotFolders_;
    SharedTree shared_;
    ZuBookLinks links_;
    ZuBookDocument document_;
    TreeBusy busy_;
    AddOptionsCopy addOptions_;
    ViewHooksRelay viewRelay_;
    AddOptionsDialog showAddOptions_;
    ZuBookAdder adder_;
    ZuBookEditor editor_;
    LinkOpener opener_;
    LinkComments comments_;
    LinkScans scans_;
    HotKeyCommands hotKeyCommands_;
    HotKeyCommands::Dialog hotKeyDialog_;
    FavouriteBooks favourites_;
    CatalogService cdCatalog_;
    SharingCommands sharing_;
    PlugInManager plugIns_;
    FileInfoView fileInfo_;
};

}  // namespace tarnu
