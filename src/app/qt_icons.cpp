#include "app/qt_icons.h"

#include <QFileInfo>

namespace tarnu {

QtIcons::QtIcons() {
    folder_ = add(provider_.icon(QAbstractFileIconProvider::Folder));
    plainFile_ = add(provider_.icon(QAbstractFileIconProvider::File));
}

int QtIcons::add(const QIcon& icon) {
    icons_.append(icon);
    return static_cast<int>(icons_.size()) - 1;
}

int QtIcons::fileIcon(const std::string& path) {
    QFileInfo info(QString::fromStdString(path));
    QIcon icon = provider_.icon(info);
    return add(icon.isNull() ? icons_[plainFile_] : icon);
}

QIcon QtIcons::icon(int index) const {
    return (index >= 0 && index < icons_.size()) ? icons_[index] : QIcon();
}

}  // namespace tarnu
