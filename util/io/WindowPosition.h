#pragma once
// Where a window goes when its remembered position is restored. Pure arithmetic over the
// screens, so it is tested without a display; the window code supplies the rectangles.

#include <optional>
#include <string>

namespace util {

struct ScreenRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool Contains(int x, int y) const {
        return x >= left && y >= top && x < left + width && y < top + height;
    }
};

struct PositionInput {
    int windowWidth = 0, windowHeight = 0;
    ScreenRect workArea;                  // the primary screen less its panels
    ScreenRect virtualScreen;             // all monitors together
    std::optional<int> x, y;              // caller's defaults; none = centred
    std::optional<int> storedX, storedY;  // "WndX" / "WndY" when present
};

struct Position {
    int x = 0, y = 0;
    bool operator==(const Position&) const = default;
};

// Missing defaults become the centre of the work area; stored values override the
// defaults; a result whose bottom-right corner is off the virtual screen (a monitor that
// has gone, a hand-edited value) is centred on the work area.
Position RestoredWindowPosition(const PositionInput& in);

// Reads WndX/WndY of the section from the settings store and computes the position.
Position RestoreWindowPosition(const std::string& section, PositionInput in);
void SaveWindowPosition(const std::string& section, int x, int y);

}  // namespace util
