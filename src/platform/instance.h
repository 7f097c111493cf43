#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tarnu {

// The running copy reads at most this many characters of a forwarded text.
inline constexpr std::size_t kForwardedTextLimit = 255;

// A command line handed over by a second copy: a switch and its argument.
struct ForwardedCommand {
    std::string switchText;
    std::string argument;
};

// The text a second copy hands over for its two arguments: the first, a carriage return,
// the second. The terminating NUL belongs to the transport.
inline std::string forwardedText(std::string_view first, std::string_view second) {
    std::string text;
    text.reserve(first.size() + 1 + second.size());
    text.append(first);
    text.push_back('\r');
    text.append(second);
    return text;
}

// Reads a forwarded text as the running copy sees it: up to its first NUL and at most
// kForwardedTextLimit characters, the switch before the first carriage return and the
// argument after it. Only the first carriage return splits: on this system a file name may
// hold one, and cutting the argument there would name another file. A text without one is a
// switch with an empty argument.
inline ForwardedCommand parseForwarded(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    text = text.substr(0, kForwardedTextLimit);
    const std::size_t cr = text.find('\r');
    if (cr == std::string_view::npos) {
        return {std::string(text), {}};
    }
    return {std::string(text.substr(0, cr)), std::string(text.substr(cr + 1))};
}

// One running copy per user; a second copy hands its command line over to it.
class Instance {
public:
    // Called with each forwarded text, without its terminating NUL.
    using ForwardedHandler = std::function<void(const std::string& text)>;

    virtual ~Instance() = default;
    // True when this process is now the running copy: it holds the marker and listens for
    // forwarded texts. False when another copy runs. Where no marker can be kept at all the
    // process runs on its own and this is true as well.
    virtual bool becomeRunningCopy() = 0;
    // Second copy: hands the text to the running copy and waits until its handler has
    // returned. False when no running copy was reached or it did not confirm the text.
    virtual bool forward(const std::string& text) = 0;
    // Running copy: the handler runs on the thread of the event loop, one text at a time,
    // before the sender is released; it must not throw. Texts that arrive while no handler
    // is set wait for one.
    virtual void setForwardedHandler(ForwardedHandler handler) = 0;
    // Running copy at exit: removes the endpoint file, stops listening, gives up the marker.
    virtual void release() = 0;
};

}  // namespace tarnu
