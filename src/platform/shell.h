#pragma once

#include <functional>
#include <string>

namespace tarnu {

// Hands a path or an address to the program the desktop opens it with.
class Shell {
public:
    // Called when the desktop finds out only after handing over that nothing opened it.
    using LateFailure = std::function<void()>;

    virtual ~Shell() = default;
    // False, and nothing else, when it could not be handed over: an empty text, a path
    // that does not exist, or no program that takes it.
    virtual bool open(const std::string& pathOrUrl) = 0;
    // As open(). A desktop that looks for the program after it has taken the path (xdg-open)
    // calls onLateFailure from the event loop when it found none; never after the shell is
    // gone. A desktop that knows at once never calls it.
    virtual bool openWatched(const std::string& pathOrUrl, LateFailure onLateFailure) {
        (void)onLateFailure;
        return open(pathOrUrl);
    }
};

}  // namespace tarnu
