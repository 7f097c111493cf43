#include "sharing/address_probes.h"

#include <QHostAddress>

#include <algorithm>

namespace tarnu {

struct AddressProbes::Attempt {
    Attempt(ProbeTarget probed, QObject* owner)
        : target(probed), socket(new QTcpSocket(owner)), timer(new QTimer(owner)) {}
    // The attempt may end inside a signal of its socket or timer: both go later.
    ~Attempt() {
        socket->disconnect();
        timer->disconnect();
        timer->stop();
        socket->abort();
        socket->deleteLater();
        timer->deleteLater();
    }
    ProbeTarget target;
    QTcpSocket* socket;
    QTimer* timer;
};

AddressProbes::AddressProbes(std::uint16_t port, std::chrono::milliseconds limit,
                             std::size_t parallel)
    : port_(port), limit_(limit), parallel_(std::max<std::size_t>(parallel, 1)) {}

AddressProbes::~AddressProbes() {
    stop();
}

void AddressProbes::scanRange(std::uint32_t first, std::uint32_t last) {
    stop();
    fromList_ = false;
    rangeNext_ = first;
    rangeEnd_ = first > last ? first : std::uint64_t{last} + 1;
    running_ = true;
    fill();
}

void AddressProbes::scanList(std::vector<std::uint32_t> addresses) {
    std::vector<ProbeTarget> targets;
    targets.reserve(addresses.size());
    for (std::uint32_t address : addresses) {
        targets.push_back({address, port_});
    }
    scanTargets(std::move(targets));
}

void AddressProbes::scanTargets(std::vector<ProbeTarget> targets) {
    stop();
    fromList_ = true;
    list_ = std::move(targets);
    listNext_ = 0;
    running_ = true;
    fill();
}

void AddressProbes::stop() {
    running_ = false;
    attempts_.clear();
}

std::optional<ProbeTarget> AddressProbes::next() {
    if (fromList_) {
        return listNext_ < list_.size() ? std::optional(list_[listNext_++]) : std::nullopt;
    }
    return rangeNext_ < rangeEnd_
               ? std::optional(ProbeTarget{static_cast<std::uint32_t>(rangeNext_++), port_})
               : std::nullopt;
}

void AddressProbes::fill() {
    while (running_ && attempts_.size() < parallel_) {
        const auto target = next();
        if (!target) {
            break;
        }
        if (onProbing) {
            onProbing(target->address);
        }
        auto attempt = std::make_unique<Attempt>(*target, &owner_);
        Attempt* raw = attempt.get();
        QObject::connect(raw->socket, &QTcpSocket::connected, raw->socket,
                         [this, raw] { settle(raw, true); });
        QObject::connect(raw->socket, &QTcpSocket::errorOccurred, raw->socket,
                         [this, raw] { settle(raw, false); });
        QObject::connect(raw->timer, &QTimer::timeout, raw->timer,
                         [this, raw] { settle(raw, false); });
        raw->timer->setSingleShot(true);
        raw->timer->start(limit_);
        attempts_.push_back(std::move(attempt));
        raw->socket->connectToHost(QHostAddress(target->address), target->port);
    }
    if (running_ && attempts_.empty()) {
        running_ = false;
        if (onFinished) {
            onFinished();
        }
    }
}

void AddressProbes::settle(Attempt* attempt, bool reachable) {
    const auto found = std::find_if(attempts_.begin(), attempts_.end(),
                                    [attempt](const auto& held) { return held.get() == attempt; });
    if (found == attempts_.end()) {
        return;
    }
    const ProbeTarget target = attempt->target;
    attempts_.erase(found);
    if (onResult) {
        onResult(target.address, reachable);
    }
    if (onTargetResult) {
        onTargetResult(target, reachable);
    }
    fill();
}

}  // namespace tarnu
