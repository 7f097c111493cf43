#include "app/splash_window.h"

#include <QEventLoop>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "app/picture_box.h"

namespace tarnu {
namespace {

// The colours of the banners of the image pack.
const QColor kDeep(0x16, 0x3a, 0x5f);
const QColor kLight(0x2f, 0x7f, 0xb3);

void drawBackground(QPainter& painter, const QRect& area) {
    QLinearGradient gradient(area.topLeft(), area.topRight());
    gradient.setColorAt(0, kDeep);
    gradient.setColorAt(1, kLight);
    painter.fillRect(area, gradient);
}

void drawText(QPainter& painter, const QRect& area, const QString& text, qreal pointSize,
              bool bold) {
    QFont font = painter.font();
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, text);
}

}  // namespace

QPixmap renderSplash(const QPixmap& logo, const QString& text) {
    QPixmap splash(kSplashSize);
    QPainter painter(&splash);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect all(QPoint(0, 0), kSplashSize);
    drawBackground(painter, all);
    if (logo.isNull()) {
        drawText(painter, all.adjusted(0, 0, 0, -all.height() / 3), QStringLiteral("Tarnu"), 28,
                 true);
        drawText(painter, all.adjusted(0, all.height() * 2 / 3, 0, 0), text, 10, false);
        return splash;
    }
    const QPixmap scaled = logo.scaled(kSplashSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter.drawPixmap(0, (kSplashSize.height() - scaled.height()) / 2, scaled);
    // The logo's own right edge carries on behind the text.
    const QRect rest(scaled.width(), 0, kSplashSize.width() - scaled.width(), kSplashSize.height());
    painter.drawPixmap(rest, scaled, QRect(scaled.width() - 1, 0, 1, scaled.height()));
    drawText(painter, rest.adjusted(4, 0, -8, 0), text, 9, false);
    return splash;
}

SplashWindow::SplashWindow(const QPixmap& picture, int milliseconds)
    : QDialog(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint),
      picture_(picture),
      milliseconds_(milliseconds) {
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(kSplashSize);
}

void SplashWindow::showFor(DataPack& pack, int milliseconds) {
    QPixmap logo;
    try {
        if (const std::optional<Picture> picture = pack.loadPicture("Tarnu_Logo.jpg")) {
            logo = QPixmap::fromImage(toImage(*picture));
        }
    } catch (const Error&) {
        // A damaged image pack is reported where a window needs its picture, not here.
    }
    SplashWindow splash(renderSplash(logo, QStringLiteral("Version " TARNU_VERSION)), milliseconds);
    splash.exec();
}

int SplashWindow::exec() {
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    // QDialog::exec would hang for good when the timer fires while show() still runs (a slow
    // start): the dialog would close before its event loop exists. This loop quits on
    // closing, and is not entered at all when the splash has closed already.
    setResult(0);
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    bool closed = false;
    connect(this, &QDialog::finished, &loop, [&loop, &closed] {
        closed = true;
        loop.quit();
    });
    QTimer::singleShot(milliseconds_, this, &QDialog::accept);
    show();
    if (!closed) {
        loop.exec(QEventLoop::DialogExec);
    }
    hide();
    picture_ = QPixmap();
    return result();
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.isNull()) {
        drawBackground(painter, rect());
        return;
    }
    painter.drawPixmap(rect(), picture_);
}

}  // namespace tarnu
