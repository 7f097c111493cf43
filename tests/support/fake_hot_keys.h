#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/global_hot_keys.h"

namespace tarnu::testing {

// Holds combinations like the system would: one holder per combination, refusing those
// that "other programs" hold, and logs every call.
class FakeGlobalHotKeys : public GlobalHotKeys {
public:
    using Combination = std::pair<unsigned, unsigned>;  // modifier flags, virtual key

    bool grab(int id, unsigned modifiers, unsigned vk) override {
        log.push_back("grab " + std::to_string(id));
        Combination c{modifiers, vk};
        if (held.contains(id) || heldElsewhere.contains(c)) {
            return false;
        }
        for (const auto& [otherId, combination] : held) {
            if (combination == c) {
                return false;
            }
        }
        held[id] = c;
        return true;
    }
    bool release(int id) override {
        log.push_back("release " + std::to_string(id));
        return held.erase(id) == 1 && !releaseFails;
    }
    void setPressedHandler(PressedHandler h) override { handler = std::move(h); }

    void press(int id, unsigned modifiers, unsigned vk) {
        if (handler) {
            handler(id, modifiers, vk);
        }
    }

    std::map<int, Combination> held;
    std::set<Combination> heldElsewhere;
    std::vector<std::string> log;
    bool releaseFails = false;
    PressedHandler handler;
};

}  // namespace tarnu::testing
