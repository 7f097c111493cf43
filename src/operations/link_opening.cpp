#include "operations/link_opening.h"

#include <sys/stat.h>

namespace tarnu {

namespace {

enum class Target { Missing, Openable, Special };

// Only local paths are looked at; anything else is the shell's to judge.
Target targetOf(const std::string& path) {
    if (path.empty() || path.front() != '/') {
        return Target::Openable;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return Target::Missing;
    }
    return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) ? Target::Openable : Target::Special;
}

}  // namespace

std::string_view extensionOf(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

bool LinkOpener::shellOpen(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    const std::string target(path);
    switch (targetOf(target)) {
        case Target::Missing:
            ui_.showMessage("Tarnu cannot open \"" + target + "\": it does not exist.");
            return false;
        case Target::Special:
            ui_.showMessage("Tarnu does not open \"" + target +
                            "\": it is a pipe, socket or device, not a file or folder.");
            return false;
        case Target::Openable:
            break;
    }
    auto late = [this, alive = std::weak_ptr<const bool>(alive_), target] {
        if (alive.lock()) {
            tellNoProgramOpens(target);
        }
    };
    if (!shell_.openWatched(target, std::move(late))) {
        tellNoProgramOpens(target);
        return false;
    }
    return true;
}

void LinkOpener::tellNoProgramOpens(const std::string& target) {
    ui_.showMessage("No program could open \"" + target + "\".");
}

void LinkOpener::doubleClick(ZuTree& tree, Node* focused) {
    if (!focused) {
        return;
    }
    const NodeKind kind = focused->kind();
    if (kind == NodeKind::ZuFolder || kind == NodeKind::Folder) {
        tree.setExpanded(focused, !focused->isExpanded());
        return;
    }
    if (kind != NodeKind::File) {
        return;
    }
    const std::string path(focused->text(kColPath));
    if (defaultAction_ && defaultAction_(extensionOf(path), path)) {
        return;
    }
    shellOpen(path);
}

void LinkOpener::openItem(const Node* focused) {
    if (focused && !focused->text(kColPath).empty()) {
        shellOpen(focused->text(kColPath));
    }
}

}  // namespace tarnu
