#pragma once

// Waiting on real sockets without fixed sleeps: the event loop runs until a condition holds
// or a deadline passes.

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

namespace tarnu::testing {

inline int appArgc = 1;
inline char appName[] = "sharing_tests";
inline char* appArgv[] = {appName, nullptr};

inline bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return done();
}

}  // namespace tarnu::testing
