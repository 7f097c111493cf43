#include "platform/linux/qt_event_pump.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace tarnu {
namespace {

int appArgc = 1;
char appName[] = "platform_tests";
char* appArgv[] = {appName, nullptr};

TEST(QtEventPumpTest, RunsPendingEventsButNotMoreOftenThanItsInterval) {
    QCoreApplication app(appArgc, appArgv);
    constexpr int kIntervalMs = 200;
    QtEventPump pump(kIntervalMs, 5);
    int ran = 0;
    auto post = [&] {
        QMetaObject::invokeMethod(
            &app, [&] { ++ran; }, Qt::QueuedConnection);
    };

    QElapsedTimer sinceFirst;
    sinceFirst.start();
    post();
    pump.processPendingEvents();
    EXPECT_EQ(ran, 1);

    post();
    pump.processPendingEvents();  // straight after: returns at once
    EXPECT_EQ(ran, 1);
    while (ran == 1 && sinceFirst.elapsed() < 10000) {
        pump.processPendingEvents();
    }
    EXPECT_EQ(ran, 2);
    EXPECT_GE(sinceFirst.elapsed(), kIntervalMs);
}

TEST(QtEventPumpTest, TimersAndQueuedCallsRunInsideALongLoop) {
    QCoreApplication app(appArgc, appArgv);
    QtEventPump pump;
    bool fired = false;
    QTimer::singleShot(20, &app, [&] { fired = true; });
    QElapsedTimer loop;
    loop.start();
    while (!fired && loop.elapsed() < 10000) {
        pump.processPendingEvents();  // the loop's items would go here
    }
    EXPECT_TRUE(fired);
}

}  // namespace
}  // namespace tarnu
