#include "plugins/file_info.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "common/atomic_file.h"
#include "common/error.h"
#include "operations/locking.h"

namespace tarnu {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kErrorHead =
    "<html><body topmargin=\"0\" leftmargin=\"0\" bottommargin=\"0\" rightmargin=\"0\" ><table "
    "border=0 width=100% cellpadding=\"0\" cellspacing=\"0\" style=\"FONT-SIZE: 9pt; "
    "FONT-FAMILY: Arial\"><tr><td bgcolor=\"#275398\" Color=white><b><font color=\"white\">";
constexpr std::string_view kErrorTail =
    "</font></b></td></tr><tr><td bgcolor=\"#FF0000\"><b><font color=\"white\">&nbsp;Error "
    "while open file";

// Whether the file could be opened with nobody else holding it: readable, and no lock or
// open handle of any process on it (this one's locks included).
bool opensExclusively(const std::string& path, FileLocks& locks) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return !locks.isLockedByAnyone(path);
}

}  // namespace

std::string fileErrorPage(std::string_view linkName) {
    std::string page(kErrorHead);
    page += linkName;
    page += kErrorTail;
    return page;
}

FileInfoView::FileInfoView(PlugInManager& plugIns, FileLocks& locks, Ui& ui)
    : plugIns_(plugIns), locks_(locks), ui_(ui) {}

std::string FileInfoView::pageFile() const {
    return plugIns_.userFile(kPageFileName);
}

PanelUpdate FileInfoView::buttonReleased(const Node* focused, bool leftButton) {
    if (!leftButton || !focused) {
        return {};
    }
    const std::string path(focused->text(kColPath));
    if (focused->kind() != NodeKind::File || !isExistingFile(path)) {
        return {PanelUpdate::Show::Blank, {}};
    }
    const std::string page = pageFile();
    std::error_code ec;
    fs::remove(page, ec);
    // The page lives under the user's data, which an installed program may not have made yet.
    fs::create_directories(plugIns_.userPlugInDir(), ec);
    if (!opensExclusively(path, locks_)) {
        try {
            writeFileAtomically(page, fileErrorPage(focused->text(kColCaption)));
        } catch (const Error& error) {
            ui_.showError(error.what());
            return {};
        }
    } else {
        runInfoPlugIn(*focused);
    }
    if (!fs::exists(page, ec)) {
        return {};
    }
    return {PanelUpdate::Show::PageFile, page};
}

void FileInfoView::runInfoPlugIn(const Node& node) {
    const std::string ownPlugIn =
        plugIns_.registry().infoPlugInOf(extensionOfPath(node.text(kColPath)));
    const std::string name = ownPlugIn.empty() ? std::string(kDefaultInfoPlugIn) : ownPlugIn;
    const InfoPlugInTexts texts{
        plugIns_.messages().programDir(), std::string(node.text(kColCaption)),
        std::string(node.text(kColPath)), std::string(node.text(kColHotKey))};
    plugIns_.runInfo(name, texts, node.text(kColLock) == "Yes");
}

}  // namespace tarnu
