#pragma once

namespace tarnu {

// Lets the window handle pending input and paint inside a long loop on the GUI thread.
// Whatever the user does meanwhile runs inside this call, so a loop that calls it must
// expect commands to run re-entrantly.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processPendingEvents() = 0;
};

}  // namespace tarnu
