#pragma once

// The splash window of the start: one picture, borderless, centred on the screen, gone by
// itself after a moment.

#include <QDialog>
#include <QPixmap>

#include "document/data_pack.h"

namespace tarnu {

inline constexpr QSize kSplashSize{425, 119};

// The splash picture: the logo on the program's colours with a line of text (the version)
// beside it; the name alone when there is no logo.
QPixmap renderSplash(const QPixmap& logo, const QString& text);

class SplashWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr int kShowMilliseconds = 1500;

    explicit SplashWindow(const QPixmap& picture, int milliseconds = kShowMilliseconds);

    // The start's splash: the logo of the image pack (none when it cannot be read) with the
    // program's version, shown modally for the time given.
    static void showFor(DataPack& pack, int milliseconds = kShowMilliseconds);

    // Shows the window modally until it closes itself; the picture is let go afterwards.
    int exec() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    int milliseconds_;
};

}  // namespace tarnu
