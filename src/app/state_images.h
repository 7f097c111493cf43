#pragma once

// The main window's state images that the sharing views and the FTP list share: 5 a server
// that answers, 6 one that does not, 7 an FTP server's description, 8 its status line.

#include <QApplication>
#include <QIcon>
#include <QStyle>

namespace tarnu {

inline constexpr int kStateImageDescription = 7;
inline constexpr int kStateImageStatusLine = 8;

inline QIcon stateImage(int index) {
    QStyle* style = QApplication::style();
    switch (index) {
        case 5:
            return QIcon::fromTheme("network-idle",
                                    style->standardIcon(QStyle::SP_DialogApplyButton));
        case 6:
            return QIcon::fromTheme("network-offline",
                                    style->standardIcon(QStyle::SP_DialogCancelButton));
        case kStateImageDescription:
            return QIcon::fromTheme("text-x-generic", style->standardIcon(QStyle::SP_FileIcon));
        case kStateImageStatusLine:
            return QIcon::fromTheme("dialog-information",
                                    style->standardIcon(QStyle::SP_MessageBoxInformation));
        default:
            return {};
    }
}

// The side bar's pictures of the two switches: 20 and 21 Connect while disconnected and
// connected, 25 and 26 "Allow connections" while sharing and not.
inline QIcon sideBarImage(int index) {
    QStyle* style = QApplication::style();
    switch (index) {
        case 20:
            return QIcon::fromTheme("network-wired-disconnected",
                                    style->standardIcon(QStyle::SP_DriveNetIcon));
        case 21:
            return QIcon::fromTheme("network-wired", style->standardIcon(QStyle::SP_DriveNetIcon));
        case 25:
            return QIcon::fromTheme("media-playback-start",
                                    style->standardIcon(QStyle::SP_MediaPlay));
        case 26:
            return QIcon::fromTheme("media-playback-stop",
                                    style->standardIcon(QStyle::SP_MediaStop));
        default:
            return {};
    }
}

}  // namespace tarnu
