#include "app/qt_icons.h"

#include <QFileInfo>
#include <QMimeType>
#include <QStandardPaths>
#include <QStringList>

namespace tarnu {

namespace {

// Without a desktop (a bare X server, a window manager alone) Qt's theme is only the base
// "hicolor", which holds no icons of file types; some platforms do not even search the
// system's icon directories.
void useFallbackThemeWhenNoneIsSet() {
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& dir : QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                        "icons", QStandardPaths::LocateDirectory)) {
        if (!paths.contains(dir)) {
            paths.append(dir);
        }
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(QtIcons::kFallbackTheme);
    const QString theme = QIcon::themeName();
    if (theme.isEmpty() || theme == QLatin1String("hicolor")) {
        QIcon::setThemeName(QtIcons::kFallbackTheme);
    }
}

}  // namespace

QtIcons::QtIcons() {
    useFallbackThemeWhenNoneIsSet();
    folder_ = add(QIcon::fromTheme("folder", provider_.icon(QAbstractFileIconProvider::Folder)));
    plainFile_ =
        add(QIcon::fromTheme("text-x-generic", provider_.icon(QAbstractFileIconProvider::File)));
}

int QtIcons::add(const QIcon& icon) {
    icons_.append(icon);
    return static_cast<int>(icons_.size()) - 1;
}

int QtIcons::fileIcon(const std::string& path) {
    const QMimeType mime =
        mimes_.mimeTypeForFile(QString::fromStdString(path), QMimeDatabase::MatchExtension);
    for (const QString& name : {mime.iconName(), mime.genericIconName()}) {
        if (auto known = byIconName_.constFind(name); known != byIconName_.constEnd()) {
            return *known;
        }
        if (QIcon::hasThemeIcon(name)) {
            const int index = add(QIcon::fromTheme(name));
            byIconName_.insert(name, index);
            return index;
        }
    }
    // A type the theme does not know: the desktop's own guess, or the plain page.
    const QIcon icon = provider_.icon(QFileInfo(QString::fromStdString(path)));
    return icon.isNull() ? plainFile_ : add(icon);
}

QIcon QtIcons::icon(int index) const {
    return (index >= 0 && index < icons_.size()) ? icons_[index] : QIcon();
}

}  // namespace tarnu
