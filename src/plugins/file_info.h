#pragma once

// The "File information" panel without its widget: what a click on a link shows. An
// information plug-in chosen by the link's extension writes the page file; a file that
// another handle holds gets the program's own error page.

#include <string>
#include <string_view>

#include "model/tree.h"
#include "platform/file_locks.h"
#include "plugins/plugin_manager.h"

namespace tarnu {

inline constexpr std::string_view kPageFileName = "fileinfo.htm";
inline constexpr std::string_view kBlankPage = "about:blank";

// The page written for a file that cannot be opened: the link's name on a blue band,
// "Error while open file" on a red one.
std::string fileErrorPage(std::string_view linkName);

struct PanelUpdate {
    enum class Show { Keep, Blank, PageFile };
    Show show = Show::Keep;
    std::string pageFile;  // with PageFile
};

class FileInfoView {
public:
    // Everything must outlive the view.
    FileInfoView(PlugInManager& plugIns, FileLocks& locks, Ui& ui);

    // A mouse button released over the tree with this node focused.
    PanelUpdate buttonReleased(const Node* focused, bool leftButton);
    std::string pageFile() const;

private:
    void runInfoPlugIn(const Node& node);

    PlugInManager& plugIns_;
    FileLocks& locks_;
    Ui& ui_;
};

}  // namespace tarnu
