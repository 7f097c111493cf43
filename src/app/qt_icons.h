#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QMimeDatabase>

#include "platform/icons.h"

namespace tarnu {

// Icons from the desktop's theme, numbered in the order they are first asked for; the
// tree's pictures are indices into this list. A file's icon is its MIME type's, found by
// name only, so that a link to a missing or slow file costs nothing. When the desktop sets
// no theme of its own, a bundled one (Adwaita) stands in, so that files of different types
// do not all show one blank page.
class QtIcons final : public Icons {
public:
    static constexpr const char* kFallbackTheme = "Adwaita";

    QtIcons();

    int folderIcon() override { return folder_; }
    int plainFileIcon() override { return plainFile_; }
    int fileIcon(const std::string& path) override;

    QIcon icon(int index) const;

private:
    int add(const QIcon& icon);

    QFileIconProvider provider_;
    QMimeDatabase mimes_;
    QList<QIcon> icons_;
    QHash<QString, int> byIconName_;
    int folder_ = -1;
    int plainFile_ = -1;
};

}  // namespace tarnu
