#pragma once

// The extension registry: for every registered file extension, its information plug-in and
// its named actions, one of which may be the default. Kept in ext.ini; installers announce
// plug-ins through newplg.ini in the same line format.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnu {

struct PlugInAction {
    std::string name;    // shown in the context menu; holds no "="
    std::string plugIn;  // library name without ".qfp"
    bool isDefault = false;
};

struct ExtensionEntry {
    std::string extension;  // without the leading dot; matched without regard to case
    std::string infoPlugIn;
    std::vector<PlugInAction> actions;
};

// Plug-in names the merge of newplg.ini announces, for the two list files.
struct AnnouncedNames {
    std::vector<std::string> infoPlugIns;
    std::vector<std::string> actionPlugIns;
};

// The extension a lookup takes from a link's full path: the file name's part from its last
// "." on, without leading dots ("a.tar.gz" gives "gz", "README" gives "").
std::string extensionOfPath(std::string_view path);

// Texts equal without regard to case (Unicode folding of UTF-8).
bool sameTextFolded(std::string_view a, std::string_view b);

class ExtensionRegistry {
public:
    // Replaces the entries by those of an ext.ini text. Lines before the first ":" line and
    // lines of no known kind are ignored.
    void read(std::string_view text);
    // The ext.ini text, lines ending in CR LF.
    std::string write() const;
    // Merges a newplg.ini text: an extension already registered gets the new actions at the
    // end of its list. Returns the names to append to qplist.ini and qpactlst.ini.
    AnnouncedNames merge(std::string_view text);

    const std::vector<ExtensionEntry>& entries() const { return entries_; }

    // Lookups by a link's extension; the first matching entry counts. Empty when none.
    std::string infoPlugInOf(std::string_view extension) const;
    std::vector<std::string> actionsOf(std::string_view extension) const;
    std::string plugInOfAction(std::string_view extension, std::string_view action) const;
    std::string defaultActionPlugInOf(std::string_view extension) const;

    // What the manager dialog does to the entries; indices must be valid.
    void addExtension(std::string extension);
    void removeExtension(std::size_t entry);
    void setInfoPlugIn(std::size_t entry, std::string name);
    // A new action is appended; every other action loses its default flag first.
    void addAction(std::size_t entry, PlugInAction action);
    // Replaces one action; the flags of the others stay.
    void editAction(std::size_t entry, std::size_t action, PlugInAction changed);
    void removeAction(std::size_t entry, std::size_t action);
    void makeDefault(std::size_t entry, std::size_t action);

private:
    const ExtensionEntry* find(std::string_view extension) const;

    std::vector<ExtensionEntry> entries_;
};

// An action as a stored line holds it: "name=plug-in". The first "=" separates them.
PlugInAction actionFromText(std::string_view text, bool isDefault);

}  // namespace tarnu
