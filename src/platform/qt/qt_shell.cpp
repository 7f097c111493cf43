#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QString>
#include <QUrl>

namespace tarnu {

namespace {

bool isAddress(const QString& text) {
    for (const char* scheme : {"http://", "https://", "ftp://", "file:"}) {
        if (text.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QUrl QtShell::addressOf(const std::string& pathOrUrl) {
    if (pathOrUrl.empty()) {
        return {};
    }
    const QString text = QString::fromStdString(pathOrUrl);
    QUrl url;
    if (isAddress(text)) {
        url = QUrl(text);
    } else {
        // Relative paths mean nothing to the program that gets the address.
        url = QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    }
    // The desktop starts its program for a missing file all the same and reports success.
    if (url.isValid() && url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        return {};
    }
    return url;
}

bool QtShell::open(const std::string& pathOrUrl) {
    const QUrl url = addressOf(pathOrUrl);
    return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace tarnu
