#pragma once

#include <csignal>
#include <functional>
#include <initializer_list>
#include <memory>

namespace tarnu {

// Turns the termination signals a session sends (SIGTERM, SIGINT, SIGHUP) into a call from
// the event loop, so that the program leaves by its normal exit path instead of dying where
// it stands. The signal handler only writes the signal number into a pipe; the callback runs
// later, on the thread that created the watcher. One watcher at a time per process; the
// previous dispositions come back when it goes. Needs a QCoreApplication.
class SignalWatcher {
public:
    using Callback = std::function<void(int signal)>;

    explicit SignalWatcher(Callback onSignal,
                           std::initializer_list<int> watched = {SIGTERM, SIGINT, SIGHUP});
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // False when the pipe or a handler could not be set up: signals then act as they did.
    bool watching() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tarnu
