#include "platform/linux/signal_watcher.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace tarnu {
namespace {

int appArgc = 1;
char appName[] = "platform_tests";
char* appArgv[] = {appName, nullptr};

void (*dispositionOf(int signal))(int) {
    struct sigaction now {};
    ::sigaction(signal, nullptr, &now);
    return now.sa_handler;
}

TEST(SignalWatcherTest, SessionSignalsReachTheEventLoopAndTheOldDispositionsComeBack) {
    QCoreApplication app(appArgc, appArgv);
    const std::vector<int> session = {SIGHUP, SIGINT, SIGTERM};
    std::vector<void (*)(int)> before;
    for (int signal : session) {
        before.push_back(dispositionOf(signal));
    }
    std::vector<int> seen;
    {
        SignalWatcher watcher([&](int signal) { seen.push_back(signal); });
        ASSERT_TRUE(watcher.watching());
        EXPECT_FALSE(SignalWatcher([](int) {}).watching());  // one at a time
        for (int signal : session) {
            ASSERT_EQ(::kill(::getpid(), signal), 0);  // would end the test if not caught
        }
        EXPECT_TRUE(seen.empty());  // not from inside the signal handler
        QDeadlineTimer deadline(10000);
        QTimer tick;
        tick.start(5);
        while (seen.size() < 3 && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(seen, session);
    }
    for (std::size_t i = 0; i < session.size(); ++i) {
        EXPECT_EQ(dispositionOf(session[i]), before[i]) << session[i];
    }
}

}  // namespace
}  // namespace tarnu
