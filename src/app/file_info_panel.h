#pragma once

// The "File information" fold panel: a caption bar that folds and unfolds it, over a browser
// that shows the page file by its file address, or an empty page.

#include <QWidget>

#include "plugins/file_info.h"

class QTextBrowser;
class QToolButton;

namespace tarnu {

class FileInfoPanel : public QWidget {
    Q_OBJECT

public:
    explicit FileInfoPanel(QWidget* parent = nullptr);

    void show(const PanelUpdate& update);
    bool isFolded() const;
    void setFolded(bool folded);
    QTextBrowser* browser() const { return browser_; }

private:
    static constexpr int kMaxBrowserHeight = 160;

    QToolButton* caption_;
    QTextBrowser* browser_;
};

}  // namespace tarnu
