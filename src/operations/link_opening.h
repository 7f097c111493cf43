#pragma once

// Opening links: handing a node's path to the desktop's program for it, or on a double
// click to the plug-in that claims its file type.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "model/tree.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace tarnu {

// The extension of the file name in a path, without its dot; empty when it has none.
std::string_view extensionOf(std::string_view path);

class LinkOpener {
public:
    // Runs the default action that a plug-in registered for the extension; false when none
    // is registered. While plug-ins are absent there is none and the shell opens the file.
    using DefaultAction = std::function<bool(std::string_view extension, const std::string& path)>;

    // The ports must outlive the opener.
    LinkOpener(Shell& shell, Ui& ui) : shell_(shell), ui_(ui) {}

    void setDefaultAction(DefaultAction action) { defaultAction_ = std::move(action); }

    // Hands the path to the shell. The desktop tells nobody when it cannot open something,
    // so a missing target, a pipe or socket (which a program would block reading) and a
    // path no program takes are told here, naming the path. False when it did not open; a
    // desktop that finds no program only after taking the path is told of later.
    bool shellOpen(std::string_view path);

    // TreeListDblClick: a ZuFolder or Folder node toggles its expansion; a File link runs
    // its file type's default action, or else opens.
    void doubleClick(ZuTree& tree, Node* focused);

    // "Open" in the context menu: any node with a path opens it, no plug-in asked.
    void openItem(const Node* focused);

private:
    void tellNoProgramOpens(const std::string& target);

    Shell& shell_;
    Ui& ui_;
    DefaultAction defaultAction_;
    // Late reports from the shell look at it: none reaches an opener that is gone.
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

}  // namespace tarnu
