#pragma once

#include <chrono>

#include "platform/event_pump.h"

namespace tarnu {

// Lets the window run when the interval has passed since it last did: often enough to stay
// responsive, seldom enough that a long loop does not spend its time painting.
class PumpThrottle {
public:
    PumpThrottle(EventPump& pump, std::chrono::milliseconds interval)
        : pump_(pump), interval_(interval), last_(std::chrono::steady_clock::now()) {}

    // True when the window ran.
    bool tick() {
        auto now = std::chrono::steady_clock::now();
        if (now - last_ < interval_) {
            return false;
        }
        pump_.processPendingEvents();
        last_ = std::chrono::steady_clock::now();
        return true;
    }

private:
    EventPump& pump_;
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace tarnu
