#pragma once

#include <memory>

#include "platform/global_hot_keys.h"

namespace tarnu {

// Grabs combinations on the X root window through a connection of its own, and reports
// their presses from the Qt event loop of the thread that created it. Without an X display
// (none set, or a Wayland session without X) every grab is refused.
class X11GlobalHotKeys final : public GlobalHotKeys {
public:
    X11GlobalHotKeys();
    // Releases whatever is still grabbed.
    ~X11GlobalHotKeys() override;
    X11GlobalHotKeys(const X11GlobalHotKeys&) = delete;
    X11GlobalHotKeys& operator=(const X11GlobalHotKeys&) = delete;

    // Whether an X display was reached.
    bool available() const override;

    bool grab(int id, unsigned modifiers, unsigned vk) override;
    bool release(int id) override;
    void setPressedHandler(PressedHandler handler) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tarnu
