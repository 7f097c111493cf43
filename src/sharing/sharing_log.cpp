#include "sharing/sharing_log.h"

#include <QDateTime>
#include <QLocale>

namespace tarnu {

void SharingLog::add(std::string_view text) {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    const QString stamp = locale.toString(now.date(), QLocale::ShortFormat) + ' ' +
                          locale.toString(now.time(), QLocale::LongFormat);
    std::string line = "[" + stamp.toStdString() + "] ";
    line += text;
    lines_.push_front(line);
    if (onLine) {
        onLine(line);
    }
    if (onChanged) {
        onChanged();
    }
}

void SharingLog::clear() {
    lines_.clear();
    if (onChanged) {
        onChanged();
    }
}

}  // namespace tarnu
