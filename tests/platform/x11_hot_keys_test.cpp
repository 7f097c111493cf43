// Real grabs on an X server. Meant to run under a private server (xvfb-run); skipped where
// there is no display.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "model/hotkey_text.h"
#include "operations/hotkey_manager.h"
#include "platform/linux/x11_global_hot_keys.h"

// After Qt: Xlib's macros clash with it.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace tarnu {
namespace {

constexpr std::uint32_t kCtrlGrave = 16576;
constexpr int kPressTimeoutMs = 5000;

// Another X client, holding grabs of its own.
class OtherClient {
public:
    OtherClient() : display_(XOpenDisplay(nullptr)) {}
    ~OtherClient() {
        if (display_ != nullptr) {
            XCloseDisplay(display_);
        }
    }
    bool connected() const { return display_ != nullptr; }

    // Whether the server let this client grab grave with the given modifier mask.
    bool grabGrave(unsigned mask) {
        KeyCode code = XKeysymToKeycode(display_, XK_grave);
        XSync(display_, False);
        errors_ = 0;
        XErrorHandler previous = XSetErrorHandler(&OtherClient::countError);
        XGrabKey(display_, code, mask, DefaultRootWindow(display_), False, GrabModeAsync,
                 GrabModeAsync);
        XSync(display_, False);
        XSetErrorHandler(previous);
        return errors_ == 0;
    }
    void ungrabGrave(unsigned mask) {
        XUngrabKey(display_, XKeysymToKeycode(display_, XK_grave), mask,
                   DefaultRootWindow(display_));
        XSync(display_, False);
    }

private:
    static int countError(Display*, XErrorEvent*) {
        ++errors_;
        return 0;
    }
    static inline int errors_ = 0;
    Display* display_;
};

class X11HotKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') {
            GTEST_SKIP() << "no X display; ctest runs this under xvfb-run";
        }
        xdotool_ = QStandardPaths::findExecutable("xdotool");
        keys_ = std::make_unique<X11GlobalHotKeys>();
        ASSERT_TRUE(keys_->available());
        manager_ = std::make_unique<THotKeyManager>(*keys_);
        manager_->OnHotKeyPressed = [this](std::uint32_t value, std::uint16_t id) {
            pressed_.emplace_back(value, id);
            if (loop_ != nullptr) {
                loop_->quit();
            }
        };
    }

    // Types the keys with xdotool and runs the event loop until a press arrives or the
    // time is up.
    void typeAndWait(const QStringList& keys) {
        ASSERT_FALSE(xdotool_.isEmpty()) << "xdotool is not installed";
        ASSERT_EQ(QProcess::execute(xdotool_, QStringList{"key"} + keys), 0);
        QEventLoop loop;
        loop_ = &loop;
        QTimer::singleShot(kPressTimeoutMs, &loop, &QEventLoop::quit);
        if (pressed_.empty()) {
            loop.exec();
        }
        loop_ = nullptr;
    }

    QString xdotool_;
    std::unique_ptr<X11GlobalHotKeys> keys_;
    std::unique_ptr<THotKeyManager> manager_;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> pressed_;
    QEventLoop* loop_ = nullptr;
};

TEST_F(X11HotKeysTest, PressingCtrlGraveRaisesTheEventAndOtherKeysDoNot) {
    std::uint16_t id = manager_->registerHotKey(kCtrlGrave);
    ASSERT_NE(id, 0);
    // Presses arrive in order: only the last of these is held.
    typeAndWait({"alt+grave", "shift+grave", "grave", "ctrl+shift+grave", "ctrl+grave"});
    ASSERT_EQ(pressed_.size(), 1u);
    EXPECT_EQ(pressed_[0].first, kCtrlGrave);
    EXPECT_EQ(pressed_[0].second, id);
}

TEST_F(X11HotKeysTest, NumLockDoesNotHideThePress) {
    ASSERT_NE(manager_->registerHotKey(kCtrlGrave), 0);
    ASSERT_EQ(QProcess::execute(xdotool_, {"key", "Num_Lock"}), 0);
    typeAndWait({"ctrl+grave"});
    ASSERT_EQ(QProcess::execute(xdotool_, {"key", "Num_Lock"}), 0);
    ASSERT_EQ(pressed_.size(), 1u);
    EXPECT_EQ(pressed_[0].first, kCtrlGrave);
}

TEST_F(X11HotKeysTest, ACombinationAnotherClientHoldsIsRefused) {
    OtherClient other;
    ASSERT_TRUE(other.connected());
    ASSERT_TRUE(other.grabGrave(ControlMask));
    EXPECT_EQ(manager_->registerHotKey(kCtrlGrave), 0);
    EXPECT_FALSE(manager_->isRegistered(kCtrlGrave));
    other.ungrabGrave(ControlMask);
    EXPECT_NE(manager_->registerHotKey(kCtrlGrave), 0);
}

TEST_F(X11HotKeysTest, ARefusedGrabGivesBackTheVariantsItGot) {
    OtherClient other;
    ASSERT_TRUE(other.connected());
    // Only the Caps Lock variant is taken, so the plain one would succeed on its own.
    ASSERT_TRUE(other.grabGrave(ControlMask | LockMask));
    EXPECT_EQ(manager_->registerHotKey(kCtrlGrave), 0);
    other.ungrabGrave(ControlMask | LockMask);
    EXPECT_TRUE(other.grabGrave(ControlMask));
    other.ungrabGrave(ControlMask);
}

TEST_F(X11HotKeysTest, ThisProcessCannotHoldACombinationTwice) {
    std::uint16_t id = manager_->registerHotKey(kCtrlGrave);
    ASSERT_NE(id, 0);
    EXPECT_EQ(manager_->registerHotKey(kCtrlGrave), 0);
    // Nor through a second port on its own connection.
    X11GlobalHotKeys secondPort;
    EXPECT_FALSE(secondPort.grab(1, kModControl, 192));
    // The refusals left the first grab working.
    typeAndWait({"ctrl+grave"});
    ASSERT_EQ(pressed_.size(), 1u);
    EXPECT_EQ(pressed_[0].second, id);
}

TEST_F(X11HotKeysTest, ReleasedCombinationsAreFreeForOthersAndForUs) {
    ASSERT_NE(manager_->registerHotKey(kCtrlGrave), 0);
    EXPECT_TRUE(manager_->release(kCtrlGrave));
    OtherClient other;
    ASSERT_TRUE(other.connected());
    EXPECT_TRUE(other.grabGrave(ControlMask));
    other.ungrabGrave(ControlMask);

    std::uint16_t id = manager_->registerHotKey(kCtrlGrave);
    ASSERT_NE(id, 0);
    typeAndWait({"ctrl+grave"});
    ASSERT_EQ(pressed_.size(), 1u);
    EXPECT_EQ(pressed_[0].second, id);
}

TEST_F(X11HotKeysTest, KeysWithoutASymbolAreRefused) {
    EXPECT_EQ(manager_->registerHotKey(kHotKeyCtrl | 0xFF), 0);
    EXPECT_FALSE(keys_->grab(7, kModControl, 0x1C0));
}

}  // namespace
}  // namespace tarnu

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // A fresh X server resets when its last client leaves, and refuses connections while it
    // does; this one stays connected so that the tests' own clients may come and go.
    tarnu::OtherClient anchor;
    return RUN_ALL_TESTS();
}
