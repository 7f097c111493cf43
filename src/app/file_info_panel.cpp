#include "app/file_info_panel.h"

#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/qt_text.h"

namespace tarnu {

FileInfoPanel::FileInfoPanel(QWidget* parent)
    : QWidget(parent), caption_(new QToolButton(this)), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("fpFileInfo"));
    caption_->setObjectName(QStringLiteral("fpFileInfoCaption"));
    caption_->setText(QStringLiteral("File information"));
    caption_->setCheckable(true);
    caption_->setChecked(true);
    caption_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    caption_->setArrowType(Qt::DownArrow);
    caption_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    browser_->setObjectName(QStringLiteral("wbFileInfo"));
    // Pages are local; links in them do not navigate the panel away.
    browser_->setOpenLinks(false);
    // The tree above is the page's main view: the information keeps to a strip and scrolls.
    browser_->setMaximumHeight(kMaxBrowserHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(caption_);
    column->addWidget(browser_);
    connect(caption_, &QToolButton::toggled, this, [this](bool open) { setFolded(!open); });
}

bool FileInfoPanel::isFolded() const {
    return browser_->isHidden();
}

void FileInfoPanel::setFolded(bool folded) {
    browser_->setVisible(!folded);
    caption_->setChecked(!folded);
    caption_->setArrowType(folded ? Qt::RightArrow : Qt::DownArrow);
}

void FileInfoPanel::show(const PanelUpdate& update) {
    switch (update.show) {
        case PanelUpdate::Show::Keep:
            return;
        case PanelUpdate::Show::Blank:
            browser_->setSource(QUrl());
            browser_->clear();
            return;
        case PanelUpdate::Show::PageFile:
            break;
    }
    // The same address again is a new page: the file was written anew.
    const QUrl page = QUrl::fromLocalFile(qs(update.pageFile));
    if (browser_->source() == page) {
        browser_->reload();
    } else {
        browser_->setSource(page);
    }
}

}  // namespace tarnu
