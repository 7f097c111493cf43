#include "platform/linux/qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace tarnu {

QtEventPump::QtEventPump(int intervalMs, int sliceMs)
    : intervalMs_(intervalMs), sliceMs_(sliceMs) {}

void QtEventPump::processPendingEvents() {
    if (sinceLastPass_.isValid() && sinceLastPass_.elapsed() < intervalMs_) {
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, sliceMs_);
    // Counted from the end of the pass, so that the loop gets the interval for its own work.
    sinceLastPass_.start();
}

}  // namespace tarnu
