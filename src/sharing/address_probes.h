#pragma once

// Probes many addresses on one port without blocking: several connection attempts at once,
// each allowed a time limit. Serves the server search (an IPv4 range) and Check (the list).

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tarnu {

struct ProbeTarget {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

class AddressProbes {
public:
    explicit AddressProbes(std::uint16_t port,
                           std::chrono::milliseconds limit = std::chrono::seconds(1),
                           std::size_t parallel = 64);
    ~AddressProbes();
    AddressProbes(const AddressProbes&) = delete;
    AddressProbes& operator=(const AddressProbes&) = delete;

    // Every address from first to last, counting through the octets; nothing when first
    // lies above last.
    void scanRange(std::uint32_t first, std::uint32_t last);
    void scanList(std::vector<std::uint32_t> addresses);
    // Each address on a port of its own, for lists whose entries name their ports.
    void scanTargets(std::vector<ProbeTarget> targets);
    // No new probe starts; the ones under way are dropped unreported.
    void stop();
    bool running() const { return running_; }

    std::function<void(std::uint32_t address)> onProbing;
    std::function<void(std::uint32_t address, bool reachable)> onResult;
    // Beside onResult, with the port that was probed.
    std::function<void(const ProbeTarget& target, bool reachable)> onTargetResult;
    std::function<void()> onFinished;

private:
    struct Attempt;
    void fill();
    void settle(Attempt* attempt, bool reachable);
    std::optional<ProbeTarget> next();

    std::uint16_t port_;
    std::chrono::milliseconds limit_;
    std::size_t parallel_;
    std::vector<ProbeTarget> list_;
    std::size_t listNext_ = 0;
    std::uint64_t rangeNext_ = 0, rangeEnd_ = 0;  // one past the last
    bool fromList_ = false;
    bool running_ = false;
    // Parent of every socket and timer, so that those let go inside their own signals are
    // freed even when the event loop never comes back for them.
    QObject owner_;
    std::vector<std::unique_ptr<Attempt>> attempts_;
};

}  // namespace tarnu
