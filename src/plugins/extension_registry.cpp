#include "plugins/extension_registry.h"

#include <QString>
#include <algorithm>

#include "common/path.h"
#include "common/text_lines.h"

namespace tarnu {

namespace {

// One "+" line: the text between the "+" and the last two characters; the last one is the
// flag. A line too short for that holds an empty action.
PlugInAction actionFromLine(std::string_view line) {
    const std::string_view text = line.size() >= 3 ? line.substr(1, line.size() - 3) : "";
    return actionFromText(text, line.size() >= 3 && line.back() == '1');
}

}  // namespace

std::string extensionOfPath(std::string_view path) {
    const std::string_view name = path::fileName(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    std::string_view extension = name.substr(dot);
    while (!extension.empty() && extension.front() == '.') {
        extension.remove_prefix(1);
    }
    return std::string(extension);
}

bool sameTextFolded(std::string_view a, std::string_view b) {
    return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())),
                        Qt::CaseInsensitive) == 0;
}

PlugInAction actionFromText(std::string_view text, bool isDefault) {
    const std::size_t equals = text.find('=');
    PlugInAction action;
    action.name = std::string(text.substr(0, equals));
    if (equals != std::string_view::npos) {
        action.plugIn = std::string(text.substr(equals + 1));
    }
    action.isDefault = isDefault;
    return action;
}

void ExtensionRegistry::read(std::string_view text) {
    entries_.clear();
    for (const std::string& line : splitLines(text)) {
        if (line.empty()) {
            continue;
        }
        if (line.front() == ':') {
            entries_.push_back({line.substr(1), {}, {}});
        } else if (entries_.empty()) {
            continue;
        } else if (line.front() == '-') {
            entries_.back().infoPlugIn = line.substr(1);
        } else if (line.front() == '+') {
            entries_.back().actions.push_back(actionFromLine(line));
        }
    }
}

std::string ExtensionRegistry::write() const {
    std::string text;
    for (const ExtensionEntry& entry : entries_) {
        text += ":" + entry.extension + "\r\n-" + entry.infoPlugIn + "\r\n";
        for (const PlugInAction& action : entry.actions) {
            text += "+" + action.name + "=" + action.plugIn + (action.isDefault ? ",1" : ",0");
            text += "\r\n";
        }
    }
    return text;
}

AnnouncedNames ExtensionRegistry::merge(std::string_view text) {
    AnnouncedNames names;
    ExtensionEntry* current = nullptr;
    for (const std::string& line : splitLines(text)) {
        if (line.empty()) {
            continue;
        }
        if (line.front() == ':') {
            const std::string extension = line.substr(1);
            auto found = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) {
                return sameTextFolded(e.extension, extension);
            });
            current = found != entries_.end()
                          ? &*found
                          : &entries_.emplace_back(ExtensionEntry{extension, {}, {}});
        } else if (current && line.front() == '-' && line.size() > 1) {
            current->infoPlugIn = line.substr(1);
            names.infoPlugIns.push_back(current->infoPlugIn);
        } else if (current && line.front() == '+') {
            current->actions.push_back(actionFromLine(line));
            names.actionPlugIns.push_back(current->actions.back().plugIn);
        }
    }
    return names;
}

const ExtensionEntry* ExtensionRegistry::find(std::string_view extension) const {
    for (const ExtensionEntry& entry : entries_) {
        if (sameTextFolded(entry.extension, extension)) {
            return &entry;
        }
    }
    return nullptr;
}

std::string ExtensionRegistry::infoPlugInOf(std::string_view extension) const {
    const ExtensionEntry* entry = find(extension);
    return entry ? entry->infoPlugIn : std::string();
}

std::vector<std::string> ExtensionRegistry::actionsOf(std::string_view extension) const {
    std::vector<std::string> names;
    if (const ExtensionEntry* entry = find(extension)) {
        for (const PlugInAction& action : entry->actions) {
            names.push_back(action.name);
        }
    }
    return names;
}

std::string ExtensionRegistry::plugInOfAction(std::string_view extension,
                                              std::string_view action) const {
    if (const ExtensionEntry* entry = find(extension)) {
        for (const PlugInAction& candidate : entry->actions) {
            if (sameTextFolded(candidate.name, action)) {
                return candidate.plugIn;
            }
        }
    }
    return {};
}

std::string ExtensionRegistry::defaultActionPlugInOf(std::string_view extension) const {
    if (const ExtensionEntry* entry = find(extension)) {
        for (const PlugInAction& action : entry->actions) {
            if (action.isDefault) {
                return action.plugIn;
            }
        }
    }
    return {};
}

void ExtensionRegistry::addExtension(std::string extension) {
    entries_.push_back({std::move(extension), {}, {}});
}

void ExtensionRegistry::removeExtension(std::size_t entry) {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(entry));
}

void ExtensionRegistry::setInfoPlugIn(std::size_t entry, std::string name) {
    entries_.at(entry).infoPlugIn = std::move(name);
}

void ExtensionRegistry::addAction(std::size_t entry, PlugInAction action) {
    std::vector<PlugInAction>& actions = entries_.at(entry).actions;
    for (PlugInAction& other : actions) {
        other.isDefault = false;
    }
    actions.push_back(std::move(action));
}

void ExtensionRegistry::editAction(std::size_t entry, std::size_t action, PlugInAction changed) {
    entries_.at(entry).actions.at(action) = std::move(changed);
}

void ExtensionRegistry::removeAction(std::size_t entry, std::size_t action) {
    std::vector<PlugInAction>& actions = entries_.at(entry).actions;
    actions.erase(actions.begin() + static_cast<std::ptrdiff_t>(action));
}

void ExtensionRegistry::makeDefault(std::size_t entry, std::size_t action) {
    std::vector<PlugInAction>& actions = entries_.at(entry).actions;
    for (PlugInAction& other : actions) {
        other.isDefault = false;
    }
    actions.at(action).isDefault = true;
}

}  // namespace tarnu
