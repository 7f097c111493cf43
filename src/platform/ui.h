#pragma once

// Everything a command asks of the user goes through this port: message boxes and input
// boxes titled "Tarnu", confirmations, file and folder choosers, status texts.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnu {

// The answers to "save the changes?" before unsaved work would go.
enum class SaveChoice { Save, Discard, Cancel };

struct FileDialogOptions {
    std::string title;       // empty: the system's own
    std::string filter;      // "Tarnu files (*.dua)|*.dua|All files (*.*)|*.*"
    std::string defaultExt;  // "*.dua"
    std::string startDir;
    bool multiSelect = false;
    bool mustExist = false;
    bool confirmOverwrite = false;
};

class Ui {
public:
    virtual ~Ui() = default;

    virtual void showMessage(std::string_view text) = 0;
    virtual void showError(std::string_view text) = 0;
    // True for Yes.
    virtual bool confirm(std::string_view text) = 0;
    virtual SaveChoice askSaveChanges(std::string_view text) = 0;
    // Empty when the user cancels.
    virtual std::optional<std::string> inputBox(std::string_view caption, std::string_view prompt,
                                                std::string_view initial) = 0;
    // Empty when the user cancels.
    virtual std::vector<std::string> chooseOpenFiles(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> chooseSaveFile(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> chooseFolder(std::string_view title,
                                                    std::string_view startDir) = 0;
    // Text of a panel of the main status bar.
    virtual void setStatus(int panel, std::string_view text) = 0;
};

}  // namespace tarnu
