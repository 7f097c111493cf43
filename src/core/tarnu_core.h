#pragma once

// Everything the main window owns for the life of the process, without any widget: the
// ZuBook tree and document, the archive object, the data pack and settings, locks and hot
// keys, hot folders and the shared tree; and the start-up, forwarding and shutdown steps.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/zlb_archive.h"
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
#include "operations/hotkey_manager.h"
#include "operations/locking.h"
#include "operations/zubook_links.h"
#include "platform/desktop_integration.h"
#include "platform/event_pump.h"
#include "platform/file_locks.h"
#include "platform/global_hot_keys.h"
#include "platform/icons.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace tarnu {

struct CorePorts {
    Icons& icons;
    FileLocks& fileLocks;
    GlobalHotKeys& globalHotKeys;
    DesktopIntegration& desktop;
    Ui& ui;
    Shell& shell;
    EventPump& pump;
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
    ZuTree& tree() { return tree_; }
    IconCache& icons() { return icons_; }
    ZuBookDocument& document() { return document_; }
    DataPack& dataPack() { return dataPack_; }
    Settings& settings() { return settings_; }
    SettingsStore& settingsStore() { return settingsStore_; }
    HotFolderTable& hotFolders() { return hotFolders_; }
    SharedTree& shared() { return shared_; }
    LinkLocks& locks() { return locks_; }
    THotKeyManager& hotKeys() { return hotKeys_; }
    const HotKeyText& keyText() const { return keyText_; }
    Ui& ui() { return ports_.ui; }
    Shell& shell() { return ports_.shell; }
    DesktopIntegration& desktop() { return ports_.desktop; }
    const std::string& executable() const { return executable_; }
    std::string placementFile() const;
    // OK in the options dialog: stores the settings and applies run-at-login and the
    // desktop's "add to Tarnu" entries.
    void applyOptions(const Settings& settings, bool runAtLogin);
    ZuBookAdder& adder() { return adder_; }
    ZuBookEditor& editor() { return editor_; }
    AddOptionsCopy& addOptions() { return addOptions_; }
    TreeBusy& busy() { return busy_; }
    // A view that repaints around the commands' changes.
    void attachView(TreeViewHooks* view) { viewRelay_.attach(view); }
    // The add-options dialog, shown before "Add folder" while "Ask" is on.
    void setAddOptionsDialog(ShowAddOptions dialog) { showAddOptions_ = std::move(dialog); }
    // A command may replace or close the ZuBook only while no scan or prompt holds nodes.
    bool mayReplaceZuBook() const { return !busy_.busy(); }

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
    ShowAddOptions showAddOptions_;
    ZuBookAdder adder_;
    ZuBookEditor editor_;
};

}  // namespace tarnu
