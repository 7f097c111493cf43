#include "plugins/plugin_manager.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/atomic_file.h"
#include "common/error.h"
#include "common/path.h"
#include "common/text_lines.h"

namespace tarnu {

namespace fs = std::filesystem;

namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> loadDirs(const PlugInManagerParts& parts) {
    std::vector<std::string> dirs{parts.shippedDir};
    const std::string user = path::join(parts.userDataDir, "plugins");
    if (fs::path(user).lexically_normal() != fs::path(parts.shippedDir).lexically_normal()) {
        dirs.push_back(user);
    }
    return dirs;
}

}  // namespace

std::vector<std::string> readListFile(const std::string& path) {
    std::vector<std::string> lines = splitLines(readText(path));
    std::erase_if(lines, [](const std::string& line) { return line.empty(); });
    return lines;
}

PlugInManager::PlugInManager(PlugInManagerParts parts)
    : parts_(std::move(parts)),
      libraries_(loadDirs(parts_)),
      messages_({parts_.tree, parts_.icons, parts_.locks, parts_.userDataDir, parts_.focused}),
      window_{{&PlugInManager::sendMessage}, this} {}

void PlugInManager::setShippedDir(std::string dir) {
    parts_.shippedDir = std::move(dir);
    libraries_ = PlugInLibraries(loadDirs(parts_));
}

std::string PlugInManager::userPlugInDir() const {
    return path::join(parts_.userDataDir, "plugins");
}

std::string PlugInManager::userFile(std::string_view name) const {
    return path::join(userPlugInDir(), name);
}

// The user's copy when there is one, else the shipped file.
std::string PlugInManager::readable(std::string_view name) const {
    const std::string user = userFile(name);
    std::error_code ec;
    return fs::exists(user, ec) ? user : path::join(parts_.shippedDir, name);
}

void PlugInManager::start() {
    registry_.read(readText(readable(kRegistryFile)));
    const std::string announced = userFile(kNewPlugInsFile);
    std::error_code ec;
    if (!fs::exists(announced, ec)) {
        return;
    }
    const AnnouncedNames names = registry_.merge(readText(announced));
    try {
        appendToList(kInfoListFile, names.infoPlugIns);
        appendToList(kActionListFile, names.actionPlugIns);
        // Written now: with newplg.ini gone, a merge kept only in memory would be lost.
        saveRegistry();
        fs::remove(announced, ec);
    } catch (const Error& error) {
        parts_.ui.showError(error.what());
    }
}

void PlugInManager::appendToList(std::string_view list, const std::vector<std::string>& names) {
    if (names.empty()) {
        return;
    }
    std::string text = readText(readable(list));
    if (!text.empty() && text.back() != '\n') {
        text += "\r\n";
    }
    for (const std::string& name : names) {
        text += name + "\r\n";
    }
    std::error_code ec;
    fs::create_directories(userPlugInDir(), ec);
    writeFileAtomically(userFile(list), text);
}

void PlugInManager::saveRegistry() {
    std::error_code ec;
    fs::create_directories(userPlugInDir(), ec);
    writeFileAtomically(userFile(kRegistryFile), registry_.write());
}

std::vector<std::string> PlugInManager::infoPlugInChoices() const {
    return readListFile(readable(kInfoListFile));
}

std::vector<std::string> PlugInManager::actionPlugInChoices() const {
    std::vector<std::string> unique;
    for (std::string& name : readListFile(readable(kActionListFile))) {
        if (std::find(unique.begin(), unique.end(), name) == unique.end()) {
            unique.push_back(std::move(name));
        }
    }
    return unique;
}

std::vector<std::string> PlugInManager::contextMenuActions() const {
    const std::vector<Node*> selected = parts_.tree.selection();
    if (selected.empty()) {
        return {};
    }
    return registry_.actionsOf(extensionOfPath(selected.front()->text(kColPath)));
}

void PlugInManager::runContextAction(std::string_view caption, const Node* focused) {
    std::string action(caption);
    std::erase(action, '&');
    const std::string extension = focused ? extensionOfPath(focused->text(kColPath)) : "";
    const std::string plugIn = registry_.plugInOfAction(extension, action);
    if (!plugIn.empty()) {
        runAction(plugIn);
    }
}

std::string PlugInManager::defaultActionFor(std::string_view fullPath) const {
    return registry_.defaultActionPlugInOf(extensionOfPath(fullPath));
}

PlugInCall PlugInManager::runAction(std::string_view name) {
    PlugInCall call = libraries_.runAction(name, &window_.host, kPlugInMessage);
    report(call);
    return call;
}

PlugInCall PlugInManager::runInfo(std::string_view name, const InfoPlugInTexts& texts,
                                  bool locked) {
    PlugInCall call = libraries_.runInfo(name, texts, locked);
    report(call);
    return call;
}

void PlugInManager::report(const PlugInCall& call) {
    if (call.outcome == PlugInCall::Outcome::Raised) {
        parts_.ui.showError(call.error);
    } else if (call.outcome == PlugInCall::Outcome::Unsafe &&
               warnedUnsafe_.insert(call.error).second) {
        parts_.ui.showError(call.error);
    }
}

std::intptr_t PlugInManager::sendMessage(TarnuHost* host, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    // HostWindow is standard layout and host its first member.
    auto* window = reinterpret_cast<HostWindow*>(host);
    if (message != kPlugInMessage) {
        return 0;
    }
    // Nothing may unwind through the plug-in's frames: errors are shown here.
    try {
        return window->manager->messages_.handle(wParam, lParam);
    } catch (const std::exception& error) {
        window->manager->parts_.ui.showError(error.what());
    }
    return 0;
}

}  // namespace tarnu
