#include "platform/linux/signal_watcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <utility>
#include <vector>

namespace tarnu {

namespace {

// The write end of the pipe, for the handler; -1 while no watcher is installed.
std::atomic<int> gWriteEnd{-1};

extern "C" void onSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    const int fd = gWriteEnd.load();
    if (fd >= 0) {
        // A full pipe already holds a wake-up; losing this byte loses nothing.
        [[maybe_unused]] const ssize_t n = ::write(fd, &number, 1);
    }
    errno = savedErrno;
}

}  // namespace

struct SignalWatcher::Impl {
    Callback callback;
    int pipe[2] = {-1, -1};
    std::vector<std::pair<int, struct sigaction>> previous;
    std::unique_ptr<QSocketNotifier> notifier;

    void drain() {
        unsigned char numbers[64];
        ssize_t n = 0;
        while ((n = ::read(pipe[0], numbers, sizeof numbers)) > 0) {
            for (ssize_t i = 0; i < n; ++i) {
                if (callback) {
                    callback(numbers[i]);
                }
            }
        }
    }
};

SignalWatcher::SignalWatcher(Callback onSignal, std::initializer_list<int> watched)
    : impl_(std::make_unique<Impl>()) {
    Impl& d = *impl_;
    d.callback = std::move(onSignal);
    if (gWriteEnd.load() >= 0 || ::pipe2(d.pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        d.pipe[0] = d.pipe[1] = -1;
        return;
    }
    gWriteEnd.store(d.pipe[1]);
    d.notifier = std::make_unique<QSocketNotifier>(d.pipe[0], QSocketNotifier::Read);
    QObject::connect(d.notifier.get(), &QSocketNotifier::activated, d.notifier.get(),
                     [&d] { d.drain(); });
    for (const int signal : watched) {
        struct sigaction action {};
        action.sa_handler = tarnu::onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        struct sigaction old {};
        if (::sigaction(signal, &action, &old) == 0) {
            d.previous.emplace_back(signal, old);
        }
    }
}

SignalWatcher::~SignalWatcher() {
    Impl& d = *impl_;
    for (const auto& [signal, old] : d.previous) {
        ::sigaction(signal, &old, nullptr);
    }
    d.notifier.reset();
    if (d.pipe[1] >= 0) {
        gWriteEnd.store(-1);
        ::close(d.pipe[0]);
        ::close(d.pipe[1]);
    }
}

bool SignalWatcher::watching() const {
    return impl_->notifier != nullptr && !impl_->previous.empty();
}

}  // namespace tarnu
