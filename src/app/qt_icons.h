#pragma once

#include <QFileIconProvider>
#include <QIcon>
#include <QList>

#include "platform/icons.h"

namespace tarnu {

// Icons from the desktop's theme, numbered in the order they are first asked for; the
// tree's pictures are indices into this list.
class QtIcons final : public Icons {
public:
    QtIcons();

    int folderIcon() override { return folder_; }
    int plainFileIcon() override { return plainFile_; }
    int fileIcon(const std::string& path) override;

    QIcon icon(int index) const;

private:
    int add(const QIcon& icon);

    QFileIconProvider provider_;
    QList<QIcon> icons_;
    int folder_ = -1;
    int plainFile_ = -1;
};

}  // namespace tarnu
