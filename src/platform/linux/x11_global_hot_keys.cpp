#include "platform/linux/x11_global_hot_keys.h"

#include <QSocketNotifier>
#include <QTimer>

#include <map>
#include <vector>

// Xlib defines macros (None, Bool, KeyPress, ...) that clash with Qt: it comes last.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/linux/x11_key_map.h"

namespace tarnu {

namespace {

// Catches the errors of one display's requests while it lives; every other display's errors
// go on to the handler that was there before.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        outer_ = active_;
        active_ = this;
        previous_ = XSetErrorHandler(&ErrorTrap::handle);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
        active_ = outer_;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server to answer everything sent so far; true when a request failed.
    bool failed() {
        XSync(display_, False);
        return failed_;
    }

private:
    static int handle(Display* display, XErrorEvent* event) {
        if (active_ != nullptr && active_->display_ == display) {
            active_->failed_ = true;
            return 0;
        }
        return active_ != nullptr && active_->previous_ != nullptr
                   ? active_->previous_(display, event)
                   : 0;
    }

    static inline ErrorTrap* active_ = nullptr;
    Display* display_;
    ErrorTrap* outer_ = nullptr;
    XErrorHandler previous_ = nullptr;
    bool failed_ = false;
};

// The modifier bit (ShiftMask ... Mod5Mask) that a key is mapped to; 0 when none.
unsigned modifierMaskOf(Display* display, const XModifierKeymap* map, KeySym sym) {
    KeyCode code = XKeysymToKeycode(display, sym);
    if (code == 0) {
        return 0;
    }
    for (int mod = 0; mod < 8; ++mod) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[mod * map->max_keypermod + k] == code) {
                return 1u << mod;
            }
        }
    }
    return 0;
}

struct Masks {
    unsigned alt = Mod1Mask;
    unsigned win = Mod4Mask;
    // Lock modifiers that must not keep a combination from matching.
    std::vector<unsigned> lockVariants;

    unsigned relevant() const { return ShiftMask | ControlMask | alt | win; }

    static Masks read(Display* display) {
        Masks masks;
        unsigned numLock = 0;
        unsigned scrollLock = 0;
        if (XModifierKeymap* map = XGetModifierMapping(display)) {
            if (unsigned m = modifierMaskOf(display, map, XK_Alt_L)) {
                masks.alt = m;
            }
            if (unsigned m = modifierMaskOf(display, map, XK_Super_L)) {
                masks.win = m;
            }
            numLock = modifierMaskOf(display, map, XK_Num_Lock);
            scrollLock = modifierMaskOf(display, map, XK_Scroll_Lock);
            XFreeModifiermap(map);
        }
        std::vector<unsigned> locks{LockMask};
        for (unsigned m : {numLock, scrollLock}) {
            if (m != 0 && m != LockMask && (m & masks.relevant()) == 0) {
                locks.push_back(m);
            }
        }
        for (unsigned subset = 0; subset < (1u << locks.size()); ++subset) {
            unsigned variant = 0;
            for (std::size_t i = 0; i < locks.size(); ++i) {
                if (subset & (1u << i)) {
                    variant |= locks[i];
                }
            }
            masks.lockVariants.push_back(variant);
        }
        return masks;
    }

    unsigned toX(unsigned modifiers) const {
        unsigned mask = 0;
        mask |= (modifiers & kModAlt) ? alt : 0;
        mask |= (modifiers & kModControl) ? ControlMask : 0;
        mask |= (modifiers & kModShift) ? ShiftMask : 0;
        mask |= (modifiers & kModWin) ? win : 0;
        return mask;
    }
};

struct Grab {
    unsigned modifiers;
    unsigned vk;
    KeyCode keycode;
    unsigned mask;
};

}  // namespace

struct X11GlobalHotKeys::Impl {
    Display* display = nullptr;
    Window root = 0;
    Masks masks;
    std::map<int, Grab> grabs;
    std::unique_ptr<QSocketNotifier> notifier;
    PressedHandler onPressed;

    void setGrab(const Grab& g, bool on) {
        for (unsigned variant : masks.lockVariants) {
            if (on) {
                XGrabKey(display, g.keycode, g.mask | variant, root, False, GrabModeAsync,
                         GrabModeAsync);
            } else {
                XUngrabKey(display, g.keycode, g.mask | variant, root);
            }
        }
    }

    bool heldHere(KeyCode code, unsigned mask) const {
        for (const auto& [id, g] : grabs) {
            if (g.keycode == code && g.mask == mask) {
                return true;
            }
        }
        return false;
    }

    // Events that Xlib read while waiting for a reply sit in its queue, where the socket
    // notifier does not see them.
    void drainLater() {
        if (XEventsQueued(display, QueuedAlready) > 0) {
            QTimer::singleShot(0, notifier.get(), [this] { drain(); });
        }
    }

    void drain() {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == KeyPress) {
                keyPressed(event.xkey);
            } else if (event.type == MappingNotify) {
                XRefreshKeyboardMapping(&event.xmapping);
            }
        }
    }

    void keyPressed(const XKeyEvent& key) {
        unsigned state = key.state & masks.relevant();
        for (const auto& [id, g] : grabs) {
            if (g.keycode == key.keycode && g.mask == state) {
                if (onPressed) {
                    // Copies: the handler may release this very grab.
                    int pressedId = id;
                    Grab pressed = g;
                    onPressed(pressedId, pressed.modifiers, pressed.vk);
                }
                return;
            }
        }
    }
};

X11GlobalHotKeys::X11GlobalHotKeys() : impl_(std::make_unique<Impl>()) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return;
    }
    impl_->display = display;
    impl_->root = DefaultRootWindow(display);
    impl_->masks = Masks::read(display);
    impl_->notifier =
        std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated,
                     [impl = impl_.get()] { impl->drain(); });
}

X11GlobalHotKeys::~X11GlobalHotKeys() {
    if (impl_->display == nullptr) {
        return;
    }
    impl_->notifier.reset();
    {
        ErrorTrap trap(impl_->display);
        for (const auto& [id, g] : impl_->grabs) {
            impl_->setGrab(g, false);
        }
    }
    XCloseDisplay(impl_->display);
}

bool X11GlobalHotKeys::available() const {
    return impl_->display != nullptr;
}

bool X11GlobalHotKeys::grab(int id, unsigned modifiers, unsigned vk) {
    Impl& x = *impl_;
    if (x.display == nullptr || x.grabs.contains(id) || vk > 0xFF) {
        return false;
    }
    KeySym sym = keySymForVirtualKey(vk);
    KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(x.display, sym);
    if (code == 0) {
        return false;
    }
    Grab g{modifiers & (kModAlt | kModControl | kModShift | kModWin), vk, code, 0};
    g.mask = x.masks.toX(g.modifiers);
    // The server never refuses a client what it already holds itself.
    if (x.heldHere(code, g.mask)) {
        return false;
    }
    bool refused;
    {
        ErrorTrap trap(x.display);
        x.setGrab(g, true);
        refused = trap.failed();
        if (refused) {
            x.setGrab(g, false);  // gives back the variants that did succeed
        }
    }
    x.drainLater();
    if (refused) {
        return false;
    }
    x.grabs.emplace(id, g);
    return true;
}

bool X11GlobalHotKeys::release(int id) {
    Impl& x = *impl_;
    auto it = x.grabs.find(id);
    if (it == x.grabs.end()) {
        return false;
    }
    bool failed;
    {
        ErrorTrap trap(x.display);
        x.setGrab(it->second, false);
        failed = trap.failed();
    }
    x.grabs.erase(it);
    x.drainLater();
    return !failed;
}

void X11GlobalHotKeys::setPressedHandler(PressedHandler handler) {
    impl_->onPressed = std::move(handler);
}

}  // namespace tarnu
