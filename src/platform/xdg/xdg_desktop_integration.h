#pragma once

#include <string>

#include "platform/desktop_integration.h"

namespace tarnu {

// The desktop integration of freedesktop.org desktops: a shared-mime-info type for ZuBook
// files, desktop entries in $XDG_DATA_HOME/applications, and an autostart entry in
// $XDG_CONFIG_HOME/autostart. The directories are taken from the environment when the
// object is made. Under a packaged install the package carries the file type, and only what
// the user asks for (the "add to Tarnu" entries, autostart) is written here.
class XdgDesktopIntegration final : public DesktopIntegration {
public:
    static constexpr const char* kMimeType = "application/x-tarnu-zubook";

    XdgDesktopIntegration();

    bool registerFileType(const std::string& exe) override;
    bool setIntegrate(bool on, const std::string& exe, const std::string& menuText) override;
    bool setRunAtLogin(bool on, const std::string& exe) override;
    bool isRunAtLogin(const std::string& exe) override;

    // Whether an installed package provides the file type in a system data directory
    // ($XDG_DATA_DIRS); registerFileType then writes nothing.
    bool fileTypeInstalled() const;

    // The files this object writes.
    std::string mimePackageFile() const;
    std::string fileTypeEntryFile() const;
    std::string addFileEntryFile() const;
    std::string addFolderEntryFile() const;
    std::string autostartFile() const;

private:
    std::string dataHome_;
    std::string configHome_;
};

}  // namespace tarnu
