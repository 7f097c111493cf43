#pragma once

#include <QElapsedTimer>

#include "platform/event_pump.h"

namespace tarnu {

// Runs the pending events of the calling thread's Qt event loop for a few milliseconds. A
// loop calls it after each item; calls that come closer together than the interval return
// at once, so that a loop over many small items is not slowed down by the events.
class QtEventPump final : public EventPump {
public:
    static constexpr int kDefaultIntervalMs = 8;
    static constexpr int kDefaultSliceMs = 5;

    explicit QtEventPump(int intervalMs = kDefaultIntervalMs, int sliceMs = kDefaultSliceMs);

    void processPendingEvents() override;

private:
    int intervalMs_;
    int sliceMs_;
    QElapsedTimer sinceLastPass_;
};

}  // namespace tarnu
