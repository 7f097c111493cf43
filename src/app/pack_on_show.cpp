#include "app/pack_on_show.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QtDebug>

#include "app/picture_box.h"
#include "app/widget_captions.h"

namespace tarnu {

PackOnShow::PackOnShow(DataPack* pack, QWidget& window)
    : QObject(&window), pack_(pack), window_(window) {
    window.installEventFilter(this);
}

void PackOnShow::addCaptionList(std::string list) {
    addStep([this, list = std::move(list)](DataPack& pack) { applyCaptions(pack, window_, list); });
}

void PackOnShow::addPicture(std::string entry, PictureBox& box) {
    pictures_.emplace_back(&box);
    addStep([entry = std::move(entry), target = QPointer<PictureBox>(&box)](DataPack& pack) {
        const std::optional<Picture> picture = pack.loadPicture(entry);
        if (target) {
            target->setPicture(picture ? QPixmap::fromImage(toImage(*picture)) : QPixmap());
        }
    });
}

void PackOnShow::addStep(Step step) {
    steps_.push_back(std::move(step));
}

void PackOnShow::shown() {
    if (pack_ == nullptr) {
        return;
    }
    for (const Step& step : steps_) {
        try {
            step(*pack_);
        } catch (const Error& e) {
            report(e.what());
            return;
        }
    }
}

void PackOnShow::hidden() {
    for (const QPointer<PictureBox>& box : pictures_) {
        if (box) {
            box->release();
        }
    }
}

bool PackOnShow::eventFilter(QObject* watched, QEvent* event) {
    // A window that comes back from being minimised is not shown anew.
    if (watched == &window_ && !event->spontaneous()) {
        if (event->type() == QEvent::Show) {
            shown();
        } else if (event->type() == QEvent::Hide) {
            hidden();
        }
    }
    return QObject::eventFilter(watched, event);
}

void PackOnShow::report(const std::string& text) {
    if (!errorSink_) {
        qWarning("%s", text.c_str());
        return;
    }
    // A message box from inside the show event would stack on a half-shown window.
    QTimer::singleShot(0, this, [this, text] { errorSink_(text); });
}

}  // namespace tarnu
