#pragma once

// The sharing log: lines "[" date time "] " text, newest first, kept only in memory.

#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace tarnu {

class SharingLog {
public:
    // Adds a line stamped with the current date (short format) and time (long format) of the
    // system's locale.
    void add(std::string_view text);
    void clear();
    const std::deque<std::string>& lines() const { return lines_; }

    // Called after every change, for a view to repaint.
    std::function<void()> onChanged;
    // Called with each new line as it is added, for a log printed as it grows.
    std::function<void(const std::string&)> onLine;

private:
    std::deque<std::string> lines_;
};

}  // namespace tarnu
