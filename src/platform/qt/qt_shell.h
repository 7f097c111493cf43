#pragma once

#include <QUrl>

#include "platform/shell.h"

namespace tarnu {

// Opens through the desktop's URL handling (xdg-open on Linux desktops). Addresses that
// start with "http://", "https://", "ftp://" or "file:" go as they are; any other text is a
// file-system path and must exist. Needs a QGuiApplication, without one nothing opens.
class QtShell : public Shell {
public:
    bool open(const std::string& pathOrUrl) override;

protected:
    // The address to hand over; invalid when nothing is to be opened.
    static QUrl addressOf(const std::string& pathOrUrl);
};

}  // namespace tarnu
