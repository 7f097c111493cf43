#pragma once

#include <QObject>

#include "platform/qt/qt_shell.h"

namespace tarnu {

// Runs xdg-open itself and watches how it ends, since it looks for a program only after it
// has started: a non-zero exit (3 no program found, 4 the program failed, ...) is a late
// failure. Where the desktop has no opener of its own, xdg-open waits for the program it
// started, so it may run for hours; the program never waits for it, not even at exit.
class XdgOpenShell final : public QtShell {
public:
    bool open(const std::string& pathOrUrl) override { return openWatched(pathOrUrl, {}); }
    bool openWatched(const std::string& pathOrUrl, LateFailure onLateFailure) override;

private:
    QObject reports_;  // context of the late reports: none arrives after the shell is gone
};

}  // namespace tarnu
