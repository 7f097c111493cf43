#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnu {

// Longest forwarded text: twice the longest path the system takes, room for any switch and
// argument a shell can hand over. A longer text is refused whole, never cut: a cut path would
// name another file.
inline constexpr std::size_t kForwardedTextLimit = 2 * 4096;

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

// Reads a forwarded text as the running copy sees it: up to its first NUL, the switch before
// the first carriage return and the argument after it. Only the first carriage return
// splits: on this system a file name may hold one, and cutting the argument there would name
// another file. A text without one is a switch with an empty argument; a text longer than
// kForwardedTextLimit is nothing at all.
inline ForwardedCommand parseForwarded(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (text.size() > kForwardedTextLimit) {
        return {};
    }
    const std::size_t cr = text.find('\r');
    if (cr == std::string_view::npos) {
        return {std::string(text), {}};
    }
    return {std::string(text.substr(0, cr)), std::string(text.substr(cr + 1))};
}

// The command line with the path of "-dua", "-add" or "-addf" made absolute against
// workingDir, so that it means the same file to a process started elsewhere. The bytes of
// the name are kept as they are; nothing else is resolved ("..", symbolic links). An empty
// path stays empty. Returns no arguments when a relative path meets an empty workingDir:
// nobody could tell which file it names.
inline std::vector<std::string> withAbsolutePath(std::vector<std::string> args,
                                                 std::string_view workingDir) {
    if (args.size() != 2 || (args[0] != "-dua" && args[0] != "-add" && args[0] != "-addf")) {
        return args;
    }
    std::string_view path = args[1];
    if (path.empty() || path.front() == '/') {
        return args;
    }
    if (workingDir.empty()) {
        return {};
    }
    while (path.size() > 2 && path.substr(0, 2) == "./") {
        path.remove_prefix(2);
    }
    std::string absolute(workingDir);
    if (path != "." && path != "./") {
        if (absolute.back() != '/') {
            absolute.push_back('/');
        }
        absolute.append(path);
    }
    args[1] = std::move(absolute);
    return args;
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
    // Second copy: hands the text to the running copy and waits until that copy has taken
    // it in, not until it has acted on it. False when no running copy was reached, the text
    // is too long, or the running copy refused it (too much already waiting).
    virtual bool forward(const std::string& text) = 0;
    // Running copy: the handler runs from the event loop, never from inside the reading of
    // a connection, one text at a time in the order they came: a text that arrives while the
    // handler runs (a dialog, a long load) waits until it has returned. It must not throw.
    // Texts that arrive while no handler is set wait for one.
    virtual void setForwardedHandler(ForwardedHandler handler) = 0;
    // Running copy: while ready() says no (the program is inside a dialog or a long command
    // of its own), texts wait; it is asked again a little later. Without one, always ready.
    virtual void setReadyCheck(std::function<bool()> ready) = 0;
    // Running copy at exit: removes the endpoint file, stops listening, drops what waits,
    // gives up the marker.
    virtual void release() = 0;
};

}  // namespace tarnu
