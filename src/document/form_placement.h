#pragma once

// The main window's placement, kept in "Data/ZuFormPos.ini", section "Tarnu". This is the
// stored data and its rules; the window applies them.

#include <optional>
#include <string>

namespace tarnu {

struct PlacementPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PlacementPoint&) const = default;
};

struct PlacementRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PlacementRect&) const = default;
};

enum class ShowState { Normal, Minimised, Maximised };

struct WindowPlacement {
    static constexpr int kShowNormal = 1;
    static constexpr int kShowMinimised = 2;
    static constexpr int kShowMaximised = 3;

    int formVersion = 0;
    int flags = 0;
    int showCmd = kShowNormal;
    int pixelsPerInch = 0;
    PlacementPoint minPosition;
    PlacementPoint maxPosition;
    PlacementRect normalPosition;
    bool visible = false;  // written while the window is destroyed; not when it is closed

    bool operator==(const WindowPlacement&) const = default;

    // The show state ShowCmd stands for: 1, 5 or 9 normal; 2, 6 or 7 minimised; 3
    // maximised; nothing for any other value, which leaves the window as it is.
    std::optional<ShowState> showState() const;
    // The normal position applies only on a screen of the same pixels per inch, and only
    // when it is a rectangle (left < right, top < bottom).
    bool positionAppliesAt(int screenPixelsPerInch) const;
};

class FormPlacement {
public:
    explicit FormPlacement(std::string filePath);

    const std::string& filePath() const { return filePath_; }

    // The stored placement, when there is one to apply: the file exists and holds a
    // FormVersion of 0 or more. Unreadable positions read as zeros.
    std::optional<WindowPlacement> read() const;
    // Stores the placement, keeping any other sections and keys of the file.
    void write(const WindowPlacement& placement);
    // At window creation: a stored ShowCmd of 2 (minimised) becomes 1, so that the program
    // never comes back minimised through its placement. Nothing when there is no file.
    void clearMinimised();
    // Deletes the file when it exists.
    void remove();

private:
    std::string filePath_;
};

}  // namespace tarnu
