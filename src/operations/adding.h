#pragma once

// Putting links into the open ZuBook: "Add files...", "Add folder...", the adds of the
// command line, and where a node that the user adds goes (the insertion point).

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "document/settings.h"
#include "document/zubook.h"
#include "model/icon_cache.h"
#include "model/tree.h"
#include "operations/tree_busy.h"
#include "platform/event_pump.h"
#include "platform/ui.h"

namespace tarnu {

inline constexpr std::string_view kAddFilesFilter =
    "All files (*.*)|*.*|Exe files (*.exe)|*.exe|Text files (*.txt)|*.txt|"
    "BMP files (*.bmp)|*.bmp|Jpg files (*.jpg)|*.jpg|Zip files (*.zip)|*.zip|"
    "Rar files (*.rar)|*.rar|Doc files (*.doc)|*.doc|RTF files (*.rtf)|*.rtf";
inline constexpr std::string_view kChooseFolderTitle = "Please specify a directory";
inline constexpr std::string_view kAddStatusPrefix = "Add: ";
inline constexpr int kAddStatusPanel = 1;

// The four choices that steer "Add folder".
struct AddOptions {
    bool recurse = true;   // "Add all subfolders"
    bool addFiles = true;  // "Add files"
    bool delExt = true;    // "Cut files extensions"
    bool ask = true;       // "Ask next time"

    bool operator==(const AddOptions&) const = default;
};

// The add-options dialog's own copy of the choices. It is taken from the settings once, at
// start-up; afterwards only the dialog's check boxes change it, and only "Save current
// settings and start" writes it back.
class AddOptionsCopy {
public:
    explicit AddOptionsCopy(const Settings& settings);

    const AddOptions& options() const { return options_; }
    // The dialog's check boxes.
    void setOptions(const AddOptions& options) { options_ = options; }
    // "Save current settings and start".
    void saveInto(Settings& settings) const;

private:
    AddOptions options_;
};

// Shows the add-options dialog modally over the copy: true for "Start" or "Save current
// settings and start", false for Cancel.
using ShowAddOptions = std::function<bool(AddOptionsCopy&)>;

// The first selected node in tree order, or null.
Node* firstSelected(const ZuTree& tree);

// Caption of a File link: the name after the last "/", without its extension when asked
// (a leading dot does not start one), every "#" and "&" turned into "_".
std::string fileLinkCaption(std::string_view path, bool cutExtension);
// Caption of the Folder node for a chosen directory: ":" and its last element; the root
// gives ":/", a path ending in "/" gives ":".
std::string folderCaption(std::string_view path);

struct AddingParts {
    ZuTree& tree;
    IconCache& icons;
    ZuBookDocument& document;
    // "DefDir", "DelExt" and "Ask" are read at the moment they matter.
    const Settings& settings;
    AddOptionsCopy& addOptions;
    Ui& ui;
    EventPump& pump;
    TreeBusy& busy;
    std::string programDir;
    ShowAddOptions showAddOptions = nullptr;  // none: the copy is used as it stands
    TreeViewHooks* view = nullptr;
    // The scan lets the window run at most this often.
    std::chrono::milliseconds pumpInterval{10};
};

class ZuBookAdder {
public:
    explicit ZuBookAdder(AddingParts parts);

    // A new, empty node where the user's additions go: under the first selected node when
    // it is a ZuFolder, else under its nearest ZuFolder ancestor, else at the top level.
    Node* insertionPoint();
    // Writes the File-link columns and the icon; nothing while no ZuBook is open.
    void fillFileLink(const std::string& path, Node* node);

    // "Add files...".
    void aAddFilesExecute();
    // "Add folder...": asks for the directory, adds it, refreshes the summary.
    void aAddFolderExecute();
    // The whole "Add folder" after the directory is known ("-addf" too); the caller
    // refreshes the summary. False when nothing was added: no ZuBook, the options dialog
    // cancelled, or a scan already running.
    bool addFolder(const std::string& dir);
    // "-add": one File link by the insertion point.
    void addLinkToFile(const std::string& path, bool refreshSummary);

    // A folder scan is running.
    bool scanning() const { return scanning_.busy(); }

private:
    void addFolderNode(const std::string& dir);

    AddingParts parts_;
    TreeBusy scanning_;
};

}  // namespace tarnu
