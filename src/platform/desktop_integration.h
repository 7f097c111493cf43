#pragma once

#include <string>

namespace tarnu {

// The traces the program leaves in the desktop: the ZuBook file type, the "add to Tarnu"
// entries offered for files and folders, and running at login. exe is the full path of the
// program. Every change fails silently: false says it did not happen, nothing is raised.
class DesktopIntegration {
public:
    virtual ~DesktopIntegration() = default;

    // ZuBook files (".dua") open with the program and the switch "-dua".
    virtual bool registerFileType(const std::string& exe) = 0;
    // On: files are offered to the program with "-add", folders with "-addf", under the
    // given menu text. Off: withdraws these entries and nothing else.
    virtual bool setIntegrate(bool on, const std::string& exe, const std::string& menuText) = 0;
    // On: the desktop starts the program with "-boot" at login. Off: it no longer does.
    virtual bool setRunAtLogin(bool on, const std::string& exe) = 0;
    // Whether the desktop starts exactly this program with "-boot" at login.
    virtual bool isRunAtLogin(const std::string& exe) = 0;
};

}  // namespace tarnu
