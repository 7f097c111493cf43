#include "core/tarnu_core.h"

#include <filesystem>
#include <system_error>

#include "common/error.h"
#include "common/path.h"
#include "document/form_placement.h"
#include "platform/instance.h"

namespace tarnu {

namespace {

constexpr std::string_view kTabTable = "ClientServer.cs";
constexpr std::string_view kDefaultZuBook = "Default.dua";

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

TarnuCore::TarnuCore(std::string programFilesDir, std::string userDataDir, std::string executable,
                     const Collation& collation, CorePorts ports)
    : programFilesDir_(std::move(programFilesDir)),
      userDataDir_(std::move(userDataDir)),
      executable_(std::move(executable)),
      ports_(ports),
      tree_(collation),
      icons_(ports.icons),
      dataPack_(programFilesDir_, userDataDir_, archive_),
      settingsStore_(dataPack_),
      settings_(settingsStore_.defaults()),
      hotKeys_(ports.globalHotKeys),
      locks_(ports.fileLocks),
      shared_(collation),
      links_(tree_, icons_, locks_, hotKeys_, hotFolders_),
      document_(ZuBookParts{
          tree_, icons_, archive_, hotFolders_, shared_, links_, ports.ui, dataPack_, userDataDir_,
          [this] { return settings_.autoSaveOnChanges; }, [this] { return settings_.saveDir; },
          [this] { ports_.pump.processPendingEvents(); }, [this] { comments_.store(); }}),
      addOptions_(settings_),
      adder_(AddingParts{tree_, icons_, document_, settings_, addOptions_, ports.ui, ports.pump,
                         busy_, userDataDir_,
                         [this](AddOptionsCopy& copy) {
                             return !showAddOptions_ || showAddOptions_(copy, settings_);
                         },
                         &viewRelay_, ports.pumpInterval}),
      editor_(EditingParts{tree_, icons_, document_, hotFolders_, ports.ui, dataPack_, adder_,
                           busy_, &viewRelay_}),
      opener_(ports.shell, ports.ui),
      comments_(tree_),
      scans_(LinkScanParts{tree_, icons_, locks_, ports.ui, ports.pump, busy_, &viewRelay_,
                           ports.pumpInterval, [this] { document_.autoSave(); }}),
      hotKeyCommands_(HotKeyParts{tree_, hotKeys_, keyText_, opener_, ports.ui, busy_,
                                  [this] { document_.autoSave(); },
                                  [this] { return ports_.globalHotKeys.available(); }}),
      favourites_(dataPack_, ports.ui, dataPack_, userDataDir_),
      cdCatalog_(dataPack_.dataDir(), collation, ports.ui, ports.drives),
      sharing_(shared_, icons_, dataPack_, ports.ui, SharingSetup{userDataDir_}),
      plugIns_(
          {tree_, icons_, locks_, ports.ui, path::join(programFilesDir_, "plugins"), userDataDir_}),
      fileInfo_(plugIns_, ports.fileLocks, ports.ui) {
    std::error_code ec;
    std::filesystem::create_directories(dataPack_.dataDir(), ec);
    hotKeys_.OnHotKeyPressed = [this](std::uint32_t value, std::uint16_t) { hotKeyPressed(value); };
    // The check after a load runs like "Check links": the window stays responsive.
    links_.checkLinksWith([this] { scans_.aCheckLinksExecute(); });
    // A double click on a file link runs its type's default plug-in action, when it has one.
    opener_.setDefaultAction(
        [this](std::string_view, const std::string& path) { return runPlugInActionFor(path); });
}

TarnuCore::~TarnuCore() {
    hotKeys_.OnHotKeyPressed = nullptr;
}

void TarnuCore::prepareUserData() {
    dataPack_.makeUserCopy();
    if (!dataPack_.hasTemplate()) {
        return;
    }
    if (!dataPack_.dataDirWritable()) {
        ports_.ui.showError("Tarnu cannot write to its data directory " + dataPack_.dataDir() +
                            ". It runs, but keeps no changes to settings or ZuBooks there.");
    }
    try {
        DataPack::Session check = dataPack_.open();
    } catch (const DataPackMissing&) {
        if (!ports_.ui.confirm("Your Tarnu data file " + dataPack_.dataPackPath() +
                               " is damaged. Restore it from the one that came with Tarnu? "
                               "Your settings and favourites go back to the defaults; the "
                               "damaged file is kept as ZuData.dta.damaged.")) {
            throw;
        }
        dataPack_.restoreFromTemplate();
    }
}

void TarnuCore::startPlugIns(const std::string& shippedPlugInDir) {
    plugIns_.setShippedDir(shippedPlugInDir);
    plugIns_.start();
}

bool TarnuCore::runPlugInActionFor(const std::string& path) {
    const std::string plugIn = plugIns_.defaultActionFor(path);
    if (plugIn.empty()) {
        return false;
    }
    plugIns_.runAction(plugIn);
    return true;
}

std::vector<std::string> TarnuCore::createMainWindowSteps() {
    prepareUserData();
    FormPlacement(placementFile()).clearMinimised();
    std::vector<std::string> tabs;
    for (int i = 0; i < 3; ++i) {
        tabs.push_back(dataPack_.message(kTabTable, i));  // the first use of the data pack
    }
    favourites_.load();
    hotKeys_.registerHotKey(keyText_.parse(kFixedHotKeyText));
    ports_.desktop.registerFileType(executable_);
    return tabs;
}

bool TarnuCore::settingsCommandLineAndFirstZuBook(const std::vector<std::string>& args) {
    bool hidden = false;
    try {
        settings_ = settingsStore_.read();
        addOptions_ = AddOptionsCopy(settings_);  // the dialog's copy is taken at start
        sharing_.setServingPorts(static_cast<std::uint16_t>(settings_.controlPort),
                                 static_cast<std::uint16_t>(settings_.filePort));
        hidden = settings_.runMin;
        if (settings_.loadArchOnStartup) {
            std::string zubook = path::usablePath(settings_.loadArch, userDataDir_);
            if (!zubook.empty() && fileExists(zubook)) {
                document_.load(zubook);
            }
        }
        actOnCommandLine(args, hidden);
        if (!document_.isOpen()) {
            loadDefaultZuBook();
        }
        applyIntegration(ports_.desktop, settings_, executable_, dataPack_);
    } catch (const Error& e) {
        ports_.ui.showError(e.what());
    }
    return hidden;
}

void TarnuCore::actOnCommandLine(const std::vector<std::string>& args, bool& hidden) {
    if (args.size() == 1 && args[0] == "-boot") {
        hidden = true;
    } else if (args.size() == 2 && args[0] == "-dua") {
        document_.load(args[1]);
    } else if (args.size() == 2 && args[0] == "-add") {
        adder_.addLinkToFile(args[1], false);
    } else if (args.size() == 2 && args[0] == "-addf") {
        adder_.addFolder(args[1]);
    }
}

void TarnuCore::loadDefaultZuBook() {
    const std::string path = path::join(userDataDir_, kDefaultZuBook);
    if (!fileExists(path)) {
        dataPack_.extractEntry(kDefaultZuBook, userDataDir_);
    }
    document_.load(path);
}

void TarnuCore::handleForwarded(std::string_view text) {
    const auto [command, argument] = parseForwarded(text);
    // Every switch needs its argument, and a second copy sends it absolute: a relative one
    // would name a file in this process's working directory, not the sender's.
    if (argument.empty() || argument.front() != '/') {
        return;
    }
    try {
        if (command == "-dua") {
            openZuBook(argument);
        } else if (command == "-add") {
            adder_.addLinkToFile(argument, true);
        } else if (command == "-addf" && adder_.addFolder(argument)) {
            document_.recount();
        }
    } catch (const Error& e) {
        ports_.ui.showError(e.what());
    }
}

void TarnuCore::hotKeyPressed(std::uint32_t value) {
    if (value == keyText_.parse(kFixedHotKeyText)) {
        if (onToggleVisibility) {
            onToggleVisibility();
        }
        return;
    }
    hotKeyCommands_.openLinkOf(value);
}

void TarnuCore::newZuBook() {
    if (mayReplaceZuBook() && confirmCloseZuBook()) {
        document_.newZuBook();
    }
}

void TarnuCore::loadZuBook() {
    if (mayReplaceZuBook() && confirmCloseZuBook()) {
        document_.loadMenu();
    }
}

bool TarnuCore::openZuBook(const std::string& path) {
    return mayReplaceZuBook() && confirmCloseZuBook() && document_.load(path);
}

void TarnuCore::saveZuBook() {
    document_.saveMenu();
}

void TarnuCore::saveZuBookAs() {
    document_.saveAs();
}

bool TarnuCore::confirmCloseZuBook() {
    // The question runs the event loop: nothing may close the ZuBook underneath it.
    TreeBusy::Hold hold(busy_);
    comments_.store();  // typed text counts as a change to save
    return document_.confirmClose();
}

void TarnuCore::saveColumnWidths(const ColumnWidths& widths) {
    settings_.columnWidths = widths;
    settingsStore_.saveColumnWidths(widths);
}

void TarnuCore::resetWorkspace() {
    FormPlacement placement(placementFile());
    settings_.columnWidths = settingsStore_.resetWorkspace(placement);
}

std::string TarnuCore::placementFile() const {
    return path::join(dataPack_.dataDir(), "ZuFormPos.ini");
}

void TarnuCore::applyOptions(const Settings& settings, bool runAtLogin) {
    settings_ = settings;
    ports_.desktop.setRunAtLogin(runAtLogin, executable_);
    applyIntegration(ports_.desktop, settings_, executable_, dataPack_);
    settingsStore_.save(settings_);
}

void TarnuCore::deleteSharedNode(Node* node) {
    sharing_.deleteShared(node, archive_, document_.isOpen() ? document_.currentPath() : "");
}

void TarnuCore::shutdown() {
    sharing_.client().reset();
    sharing_.server().stop();
    document_.close();
    try {
        favourites_.save();
    } catch (const Error& e) {
        ports_.ui.showError(e.what());
    }
    hotKeys_.releaseAll();
}

}  // namespace tarnu
